#!/usr/bin/env bash
# Presentation conversion against plain text: `KXDocuvane -f pptx` and `KXDocuvane -f txt` on the
# same documents of the shared corpus, in one hyperfine run per file. Prints each one's pages per
# second and the time of pptx over that of txt (the presentation family is held to at most 3).
#
# usage: bench/pptx/run-pptx-bench.sh [build folder] [runs]   (defaults: build, 10)
#        KX_CORPUS_DIR=/path/to/corpus bench/pptx/run-pptx-bench.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
runs="${2:-10}"
program="$build/bin/KXDocuvane"
. bench/corpus.sh
[ -x "$program" ] || { echo "build $program first (bash scripts/build)"; exit 1; }
[ -d "$corpus" ] || { echo "the shared corpus ($corpus) is not here"; exit 1; }
kx_require_tools hyperfine pdfinfo python3

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
files=()
for pdf in "$corpus"/*.pdf; do
  f="$(basename "$pdf")"
  files+=("$f")
  pdf="$(realpath "$pdf")"
  pdfinfo "$pdf" 2>/dev/null | sed -n 's/^Pages: *//p' > "$work/$f.pages"
  echo "== $f ($(cat "$work/$f.pages") pages)"
  hyperfine --warmup 2 --runs "$runs" --style basic --export-json "$work/$f.json" \
    -n pptx "'$program' -i '$pdf' -o '$work/out.pptx' -f pptx" \
    -n txt "'$program' -i '$pdf' -o '$work/out.txt' -f txt"
done

python3 - "$work" "${files[@]}" <<'PY'
import json, sys
work, files = sys.argv[1], sys.argv[2:]
print()
print("Pages per second (mean wall-clock time of hyperfine's runs); ratio = pptx time / txt time:")
print()
print("| file | pages | pptx (pages/s) | txt (pages/s) | time ratio |")
print("|---|---|---|---|---|")
total = {"pptx": 0.0, "txt": 0.0}
total_pages = 0
for f in files:
    r = {x["command"]: x for x in json.load(open(f"{work}/{f}.json"))["results"]}
    pages = int(open(f"{work}/{f}.pages").read().strip() or 0)
    ours, ref = r["pptx"]["mean"], r["txt"]["mean"]
    total["pptx"] += ours
    total["txt"] += ref
    total_pages += pages
    print(f"| {f} | {pages} | {pages / ours:.1f} | {pages / ref:.1f} | {ours / ref:.2f} |")
ours, ref = total["pptx"], total["txt"]
print(f"| all | {total_pages} | {total_pages / ours:.1f} | {total_pages / ref:.1f} | {ours / ref:.2f} |")
PY
