#!/usr/bin/env bash
# Time and peak memory of writing a large document part through the streaming XML writer.
# usage: bench/ooxml/run-xml-writer-bench.sh [build folder]   (default: build)
set -euo pipefail
build="${1:-build}"
bench="$build/bench/kx_bench_xml_writer"
[ -x "$bench" ] || { echo "build $bench first (cmake --build $build --target kx_bench_xml_writer)"; exit 1; }

# Peak memory must not depend on the size of the document.
for runs in 100000 1000000; do
  echo "== $runs runs"
  /usr/bin/time -v "$bench" "$runs" 2> time.log
  grep -E "Maximum resident set size|Elapsed \(wall clock\)" time.log
  rm -f time.log
done

if command -v hyperfine >/dev/null; then
  hyperfine --warmup 1 --runs 5 "$bench 1000000"
fi
