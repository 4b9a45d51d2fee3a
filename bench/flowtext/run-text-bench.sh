#!/usr/bin/env bash
# Plain-text conversion: `KXDocuvane -f txt` against pdftotext on the same documents of the shared
# corpus, in one hyperfine run per file. Prints each tool's pages per second side by side (from
# hyperfine's mean wall-clock time) and our time over pdftotext's (below 1 means we are faster).
#
# usage: bench/flowtext/run-text-bench.sh [build folder] [runs]   (defaults: build, 10)
#        KX_CORPUS_DIR=/path/to/corpus bench/flowtext/run-text-bench.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
runs="${2:-10}"
program="$build/bin/KXDocuvane"
. bench/corpus.sh
[ -x "$program" ] || { echo "build $program first (bash scripts/build)"; exit 1; }
[ -d "$corpus" ] || { echo "the shared corpus ($corpus) is not here"; exit 1; }
kx_require_tools hyperfine pdftotext pdfinfo python3

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
    -n KXDocuvane "'$program' -i '$pdf' -o '$work/out.txt' -f txt" \
    -n pdftotext "pdftotext '$pdf' '$work/ref.txt'"
done

python3 - "$work" "${files[@]}" <<'PY'
import json, sys
work, files = sys.argv[1], sys.argv[2:]
print()
print("Pages per second (mean wall-clock time of hyperfine's runs); ratio = our time / pdftotext's:")
print()
print("| file | pages | KXDocuvane (pages/s) | pdftotext (pages/s) | time ratio |")
print("|---|---|---|---|---|")
total = {"KXDocuvane": 0.0, "pdftotext": 0.0}
total_pages = 0
for f in files:
    r = {x["command"]: x for x in json.load(open(f"{work}/{f}.json"))["results"]}
    pages = int(open(f"{work}/{f}.pages").read().strip() or 0)
    ours, ref = r["KXDocuvane"]["mean"], r["pdftotext"]["mean"]
    total["KXDocuvane"] += ours
    total["pdftotext"] += ref
    total_pages += pages
    print(f"| {f} | {pages} | {pages / ours:.1f} | {pages / ref:.1f} | {ours / ref:.2f} |")
ours, ref = total["KXDocuvane"], total["pdftotext"]
print(f"| all | {total_pages} | {total_pages / ours:.1f} | {total_pages / ref:.1f} | {ours / ref:.2f} |")
PY
