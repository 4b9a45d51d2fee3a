#!/usr/bin/env bash
# Spreadsheet conversion: `KXDocuvane -f xlsx` and `-f csv` against `-f txt` on the same documents of
# the shared text corpus, in one hyperfine run per file (the three commands side by side); then the
# peak memory (maximum resident set) of a one-sheet workbook of a 200-page PDF against that of its
# first 20 pages, both pages stacked and side by side.
#
# usage: bench/spreadsheet/run-spreadsheet-bench.sh [build folder] [runs]   (defaults: build, 10)
#        KX_CORPUS_DIR=/path/to/corpus bench/spreadsheet/run-spreadsheet-bench.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
runs="${2:-10}"
program="$build/bin/KXDocuvane"
bench_program="$build/bench/KXSpreadsheetMemoryBench"
. bench/corpus.sh
[ -x "$program" ] || { echo "build $program first (bash scripts/build)"; exit 1; }
[ -x "$bench_program" ] || { echo "build $bench_program first (cmake --build $build)"; exit 1; }
[ -d "$corpus" ] || { echo "the shared corpus ($corpus) is not here"; exit 1; }
kx_require_tools hyperfine pdfinfo python3

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
files=()
for pdf in "$corpus"/*.pdf; do
  f="$(basename "$pdf")"
  files+=("$f")
  pdf="$(realpath "$pdf")"
  pages="$(pdfinfo "$pdf" 2>/dev/null | sed -n 's/^Pages: *//p')"
  echo "$pages" > "$work/$f.pages"
  echo "== $f ($pages pages)"
  hyperfine --warmup 2 --runs "$runs" --style basic --export-json "$work/$f.json" \
    -n txt "'$program' -i '$pdf' -o '$work/out.txt' -f txt" \
    -n xlsx "'$program' -i '$pdf' -o '$work/out.xlsx' -f xlsx" \
    -n csv --prepare "rm -rf '$work/out.csv'" "'$program' -i '$pdf' -o '$work/out.csv' -f csv"
done

python3 - "$work" "${files[@]}" <<'PY'
import json, sys
work, files = sys.argv[1], sys.argv[2:]
print()
print("Mean wall-clock time of hyperfine's runs; ratios = spreadsheet time / plain-text time:")
print()
print("| file | pages | txt (ms) | xlsx (ms) | csv (ms) | xlsx / txt | csv / txt |")
print("|---|---|---|---|---|---|---|")
total = {"txt": 0.0, "xlsx": 0.0, "csv": 0.0}
for f in files:
    r = {x["command"]: x["mean"] for x in json.load(open(f"{work}/{f}.json"))["results"]}
    pages = int(open(f"{work}/{f}.pages").read().strip() or 0)
    for k in total: total[k] += r[k]
    print(f"| {f} | {pages} | {r['txt']*1000:.0f} | {r['xlsx']*1000:.0f} | {r['csv']*1000:.0f} | "
          f"{r['xlsx']/r['txt']:.2f} | {r['csv']/r['txt']:.2f} |")
print(f"| all | | {total['txt']*1000:.0f} | {total['xlsx']*1000:.0f} | {total['csv']*1000:.0f} | "
      f"{total['xlsx']/total['txt']:.2f} | {total['csv']/total['txt']:.2f} |")
PY

echo
echo "Peak memory of one sheet for all pages (maximum resident set, KB):"
"$bench_program" "$work"
