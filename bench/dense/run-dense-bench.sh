#!/bin/bash
# run-dense-bench.sh <bin-dir> <pdf-dir> <out.tsv> [jobs]: every page in docx, pptx, xlsx and png at 144 dpi, and the
# stroke page as png at 600 and 1200 dpi, [jobs] at a time (default 3). <bin-dir> holds KXDocuvane and
# KXDenseConvert (the 600/1200 rows need the latter).
BIN=$1; PDFS=$2; OUT=$3; JOBS=${4:-3}
HERE=$(cd "$(dirname "$0")" && pwd)
{
for pdf in "$PDFS"/*.pdf; do
    for fmt in docx pptx xlsx png; do echo "$BIN/KXDocuvane $pdf $fmt 144"; done
done
for dpi in 600 1200; do echo "$BIN/KXDenseConvert $PDFS/strokes-120k.pdf png $dpi"; done
} | xargs -P "$JOBS" -L 1 "$HERE/measure-dense-page.sh" > "$OUT.rows"
{ printf 'page\tformat\tdpi\tdrawn\texit\tseconds\tpeakMB\tmutool_s\tmutool_MB\tpictures\tnotes\n'; sort -t$'\t' -k1,1 -k2,2 -k3,3n "$OUT.rows"; } > "$OUT"
rm -f "$OUT.rows"
