#!/usr/bin/env bash
# Converts a PDF with `KXDocuvane -f xlsx` and writes the workbook's first sheet as LibreOffice shows
# it (numbers in their formats) to a UTF-8 CSV file: what a reader sees, for the table measures.
#
# usage: xlsx-as-displayed.sh KXDOCUVANE IN.pdf OUT.csv
set -euo pipefail
program="$1" in="$2" out="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$program" -i "$in" -o "$work/sheet.xlsx" -f xlsx >/dev/null
soffice -env:UserInstallation="file://$work/profile" --headless \
  --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir "$work" "$work/sheet.xlsx" >/dev/null 2>&1
mv "$work/sheet.csv" "$out"
