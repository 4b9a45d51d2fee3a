#!/usr/bin/env bash
# Table cells of `KXDocuvane -f xlsx` against the expected cells of the corpus's tables set, with the
# shared measure (../shared/tools/fidelity/table_accuracy.py): once on the workbook's cell values,
# and once on the cells as LibreOffice shows them (number formats applied), since the expected
# cells are the texts the PDF shows ("5.9%", "164,380", "54.0") while a number cell holds the number.
#
# usage: bench/spreadsheet/run-table-accuracy.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
program="$(realpath "$build/bin/KXDocuvane")"
shared="${KX_SHARED_DIR:-../shared}"
if [ -z "${KX_SHARED_DIR:-}" ] && [ ! -d "$shared" ]; then
  common="$(git rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)"
  [ -n "$common" ] && shared="$(dirname "$common")/../shared"
fi
tool="$shared/tools/fidelity/table_accuracy.py"
[ -x "$program" ] || { echo "build $program first (bash scripts/build)"; exit 1; }
[ -f "$tool" ] || { echo "the shared tools ($tool) are not here"; exit 1; }
here="$(realpath bench/spreadsheet)"
echo "== cell values"
/usr/bin/python3 "$tool" "'$program' -i {in} -o {out} -f xlsx" "$shared/corpus/tables" 2>/dev/null
if command -v soffice >/dev/null; then
  echo "== cells as shown"
  /usr/bin/python3 "$tool" -j 1 --ext csv "'$here/xlsx-as-displayed.sh' '$program' {in} {out}" "$shared/corpus/tables" 2>/dev/null
fi
echo "== round trip of workbooks printed to PDF"
/usr/bin/python3 "$here/roundtrip.py" "$program" "$shared/corpus/roundtrip"
