#!/bin/bash
# measure-dense-page.sh <binary> <pdf> <format> [dpi]
#   <binary>: build/bin/KXDocuvane (the CLI, always 144 dpi) or build/bin/KXDenseConvert
#   (this folder's program: the engine with a chosen dpi for page images and re-rendered pictures).
# Prints one tab-separated line:
#   page format dpi drawn% (drawn/visible) exit seconds peakMB mutool_seconds mutool_peakMB pictures stderr-notes
# drawn%: share of the sampled marks (NAME.marks beside the pdf) that the input's rendering inks and
# the output's rendering inks too, within a pixel or two. The output is rendered as: png directly;
# docx/pptx via soffice -> pdf -> mutool at the same dpi; xlsx: n/a (the spreadsheet holds no pictures).
set -u
BIN=$1; PDF=$2; FMT=$3; DPI=${4:-144}
HERE=$(cd "$(dirname "$0")" && pwd)
NAME=$(basename "$PDF" .pdf)
MARKS="${PDF%.pdf}.marks"
W=$(mktemp -d /tmp/dense-measure.XXXXXX)
trap 'rm -rf "$W"' EXIT

tv() {  # tv <outfile> cmd...: runs cmd under /usr/bin/time -v, the report in <outfile>
    local rep=$1; shift
    /usr/bin/time -v -o "$rep" "$@" >"$rep.out" 2>"$rep.err"
    echo $?
}
secs() { awk -F': ' '/Elapsed \(wall clock\)/{n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; printf "%.2f", s}' "$1"; }
peak() { awk -F': ' '/Maximum resident set size/{printf "%d", $2/1024}' "$1"; }

# 1. the conversion
if [ "$FMT" = png ]; then OUT="$W/out"; else OUT="$W/out.$FMT"; fi
if [ "$(basename "$BIN")" = KXDenseConvert ]; then
    RC=$(tv "$W/conv" "$BIN" "$PDF" "$FMT" "$OUT" "$DPI")
else
    if [ "$DPI" != 144 ]; then echo "note: the CLI converts at 144 dpi only; use KXDenseConvert for $DPI" >&2; fi
    RC=$(tv "$W/conv" "$BIN" -i "$PDF" -o "$OUT" -f "$FMT")
fi
CS=$(secs "$W/conv"); CM=$(peak "$W/conv")
NOTES=$(grep -v -e '^Conversion' -e '^The input file' -e "^Let's convert" -e '^Pages Selected' "$W/conv.err" "$W/conv.out" 2>/dev/null | sed 's/^[^:]*://' | grep -v '^$' | head -3 | tr '\n\t' '  ')

# 2. mutool on the input at the same dpi (timed), to a grey image for the comparison
MRC=$(tv "$W/mu" mutool draw -q -r "$DPI" -c gray -o "$W/in.pgm" "$PDF" 1)
MS=$(secs "$W/mu"); MM=$(peak "$W/mu")

# 3. the output as an image
IMG=""; PICS="-"
case "$FMT" in
png)
    IMG=$(ls "$OUT"/*.png 2>/dev/null | head -1) ;;
docx|pptx)
    PICS=$(/usr/bin/python3 - "$OUT" <<'PY'
import sys, zipfile, io
from PIL import Image
Image.MAX_IMAGE_PIXELS = None
try:
    z = zipfile.ZipFile(sys.argv[1])
except Exception:
    print("no-package"); sys.exit()
sizes = []
for n in z.namelist():
    if "/media/" in n:
        try:
            im = Image.open(io.BytesIO(z.read(n))); sizes.append(im.size)
        except Exception:
            sizes.append((0, 0))
big = max(sizes, key=lambda s: s[0] * s[1]) if sizes else (0, 0)
print("%d pictures, largest %dx%d" % (len(sizes), big[0], big[1]))
PY
)
    if [ -s "$OUT" ]; then
        timeout 600 soffice -env:UserInstallation=file://$W/lo --headless --convert-to pdf --outdir "$W" "$OUT" >/dev/null 2>&1
        if [ -s "$W/out.pdf" ]; then
            mutool draw -q -r "$DPI" -c gray -o "$W/out.pgm" "$W/out.pdf" 1 2>/dev/null && IMG="$W/out.pgm"
        fi
    fi ;;
esac

if [ "$FMT" = xlsx ]; then
    DRAWN="n/a"
elif [ -n "$IMG" ] && [ -s "$W/in.pgm" ]; then
    read D V S < <(/usr/bin/python3 "$HERE/compare-marks.py" "$MARKS" "$W/in.pgm" "$IMG" "$DPI")
    DRAWN="$S% ($D/$V)"
else
    DRAWN="0% (no output image)"
fi
printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$NAME" "$FMT" "$DPI" "$DRAWN" "$RC" "$CS" "$CM" "$MS" "$MM" "$PICS" "${NOTES:--}"
