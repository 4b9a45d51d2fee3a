#!/usr/bin/env bash
# A long document's DOCX conversion: the pages of a figure-bearing paper of the shared corpus
# (tracemonkey.pdf, 14 pages) repeated to 140 and to 560 pages, each converted to DOCX in one
# hyperfine run. Prints the CPU time (user + system) and the wall-clock time per page of both and
# the ratio of the long one's to the short one's: a conversion whose cost grows with its pages and
# pictures keeps the 560-page time per page within 1.2 times the 140-page one.
#
# usage: bench/docx/run-long-docx-bench.sh [build folder] [runs] [format]   (defaults: build, 3, docx)
#        KX_CORPUS_DIR=/path/to/corpus bench/docx/run-long-docx-bench.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
runs="${2:-3}"
format="${3:-docx}"
program="$(realpath "$build/bin/KXDocuvane")"
. bench/corpus.sh
source_pdf="$corpus/tracemonkey.pdf"
[ -x "$program" ] || { echo "build $program first (bash scripts/build)"; exit 1; }
[ -f "$source_pdf" ] || { echo "the shared corpus ($source_pdf) is not here"; exit 1; }
kx_require_tools hyperfine pdfinfo mutool python3

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
source_pdf="$(realpath "$source_pdf")"
pages="$(pdfinfo "$source_pdf" | sed -n 's/^Pages: *//p')"
sizes=(140 560)
for size in "${sizes[@]}"; do
  # Each repetition is merged as a document of its own: its pictures are objects of their own,
  # as in a long document whose figures all differ.
  args=()
  for ((copy = 0; copy * pages < size; copy++)); do
    left=$((size - copy * pages))
    args+=("$source_pdf" "1-$((left < pages ? left : pages))")
  done
  mutool merge -o "$work/$size.pdf" "${args[@]}"
  got="$(pdfinfo "$work/$size.pdf" | sed -n 's/^Pages: *//p')"
  [ "$got" = "$size" ] || { echo "the $size-page document has $got pages"; exit 1; }
  echo "== $size pages"
  hyperfine --warmup 1 --runs "$runs" --style basic --export-json "$work/$size.json" \
    -n "$format" "'$program' -i '$work/$size.pdf' -o '$work/out.$format' -f $format"
done

python3 - "$work" "$format" "${sizes[@]}" <<'PY'
import json, sys
work, fmt, sizes = sys.argv[1], sys.argv[2], [int(s) for s in sys.argv[3:]]
per_page = {}
print()
print(f"-f {fmt}, milliseconds per page (means of hyperfine's runs):")
print()
print("| pages | CPU (ms/page) | wall (ms/page) |")
print("|---|---|---|")
for size in sizes:
    r = json.load(open(f"{work}/{size}.json"))["results"][0]
    cpu, wall = (r["user"] + r["system"]) * 1000 / size, r["mean"] * 1000 / size
    per_page[size] = (cpu, wall)
    print(f"| {size} | {cpu:.1f} | {wall:.1f} |")
short, long = sizes[0], sizes[-1]
print()
print(f"{long} pages over {short} pages, per page: CPU {per_page[long][0] / per_page[short][0]:.2f}, "
      f"wall {per_page[long][1] / per_page[short][1]:.2f} (at most 1.2 when the cost grows with the pages)")
PY
