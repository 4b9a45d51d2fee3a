#!/usr/bin/env bash
# Page images at 144 dpi as PNG: KXDocuvane against mutool draw (the same renderer) and pdftoppm, on
# the same multi-page PDFs of the shared corpus. Prints hyperfine's table per file and the ratios
# (our mean time over the peer's; below 1 means we are faster).
#
# usage: bench/page-images/run-page-image-bench.sh [build folder] [runs]   (defaults: build, 5)
#        KX_CORPUS_DIR=/path/to/corpus bench/page-images/run-page-image-bench.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
runs="${2:-5}"
program="$build/bin/KXDocuvane"
# The corpus lies beside the repository; a worktree elsewhere names it with KX_CORPUS_DIR.
corpus="${KX_CORPUS_DIR:-../shared/corpus}/text"
[ -x "$program" ] || { echo "build $program first (bash scripts/build)"; exit 1; }
[ -d "$corpus" ] || { echo "the shared corpus ($corpus) is not here"; exit 1; }
for tool in hyperfine mutool pdftoppm python3; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (bash scripts/install-deps)"; exit 1; }
done

files=(tracemonkey.pdf camlidl-1.04.doc.pdf federal-register-2020-17221.pdf why3-manual.pdf issue-67-example.pdf)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
out="$work/out"

for f in "${files[@]}"; do
  pdf="$(realpath "$corpus/$f")"
  echo "== $f ($(mutool info "$pdf" 2>/dev/null | sed -n 's/^Pages: //p') pages)"
  hyperfine --warmup 1 --runs "$runs" --style basic \
    --prepare "rm -rf '$out' && mkdir -p '$out'" \
    --export-json "$work/$f.json" \
    -n KXDocuvane "'$program' -i '$pdf' -o '$out/docuvane' -f png" \
    -n "mutool draw" "mutool draw -q -r 144 -o '$out/page%d.png' '$pdf'" \
    -n pdftoppm "pdftoppm -r 144 -png '$pdf' '$out/page'"
done

python3 - "$work" "${files[@]}" <<'PY'
import json, sys
work, files = sys.argv[1], sys.argv[2:]
print()
print("Mean wall-clock time, and in brackets the CPU time in user mode (steadier on a busy machine):")
print()
print("| file | KXDocuvane (s) | mutool draw (s) | pdftoppm (s) | vs mutool | vs pdftoppm |")
print("|---|---|---|---|---|---|")
for f in files:
    r = {x["command"]: x for x in json.load(open(f"{work}/{f}.json"))["results"]}
    ours, mu, pp = r["KXDocuvane"], r["mutool draw"], r["pdftoppm"]
    cell = lambda x: f"{x['mean']:.3f} ({x['user']:.3f})"
    ratio = lambda a, b: f"{a['mean'] / b['mean']:.2f} x ({a['user'] / b['user']:.2f} x)"
    print(f"| {f} | {cell(ours)} | {cell(mu)} | {cell(pp)} | {ratio(ours, mu)} | {ratio(ours, pp)} |")
PY
