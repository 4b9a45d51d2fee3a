#!/usr/bin/env bash
# DOCX conversion: `KXDocuvane -f docx` against `KXDocuvane -f txt` on the same documents of the
# shared corpus, in one hyperfine run per file (the DOCX output should take at most three times the
# plain text's time); then the peak resident memory of a 200-page document against its first 20
# pages (the package streams to disk: at most one and a half times).
#
# usage: bench/docx/run-docx-bench.sh [build folder] [runs]   (defaults: build, 5)
#        KX_CORPUS_DIR=/path/to/corpus bench/docx/run-docx-bench.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
runs="${2:-5}"
program="$(realpath "$build/bin/KXDocuvane")"
. bench/corpus.sh
[ -x "$program" ] || { echo "build $program first (bash scripts/build)"; exit 1; }
[ -d "$corpus" ] || { echo "the shared corpus ($corpus) is not here"; exit 1; }
kx_require_tools hyperfine pdfinfo python3
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (Debian package time)"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
files=()
for pdf in "$corpus"/*.pdf; do
  f="$(basename "$pdf")"
  files+=("$f")
  pdf="$(realpath "$pdf")"
  pdfinfo "$pdf" 2>/dev/null | sed -n 's/^Pages: *//p' > "$work/$f.pages"
  echo "== $f ($(cat "$work/$f.pages") pages)"
  hyperfine --warmup 1 --runs "$runs" --style basic --export-json "$work/$f.json" \
    -n docx "'$program' -i '$pdf' -o '$work/out.docx' -f docx" \
    -n txt "'$program' -i '$pdf' -o '$work/out.txt' -f txt"
done

# A document of 200 pages of its own text (a seeded stream of words, two columns a page, one
# standard font, no two pages alike), converted whole and its first 20 pages alone: what grows
# with the pages is the conversion's, not the fonts' of many documents.
python3 - "$work/200.pdf" <<'PY'
import random, sys
rnd = random.Random(17)
vocabulary = ("the of and to in a is that for it as was with be by on not he this are or his from at which "
              "but have an they you were her she there been one all we their has would when if so no will "
              "more some out time about two may first new into only very could after other these than "
              "conversion document paragraph column section margin letter figure reference interpreter "
              "measure result system program language compiler memory function value table").split()
objects = []
def add(body):
    objects.append(body)
    return len(objects)
font = add(b"<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding /WinAnsiEncoding >>")
pages_id = 2 + 0  # the page tree comes next
add(b"")
kids = []
for page in range(200):
    ops = [b"BT /F1 10 Tf 12 TL"]
    for column, x in enumerate((72, 318)):
        ops.append(b"1 0 0 1 %d 720 Tm" % x)
        for line in range(52):
            words = []
            while sum(len(w) + 1 for w in words) < 44:
                words.append(rnd.choice(vocabulary))
            ops.append(b"(" + " ".join(words).encode() + b") Tj T*")
    ops.append(b"ET")
    stream = b"\n".join(ops)
    content = add(b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream")
    kids.append(add(b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792] /Contents %d 0 R "
                    b"/Resources << /Font << /F1 %d 0 R >> >> >>" % (pages_id, content, font)))
objects[pages_id - 1] = (b"<< /Type /Pages /Count %d /Kids [" % len(kids) +
                         b" ".join(b"%d 0 R" % k for k in kids) + b"] >>")
catalog = add(b"<< /Type /Catalog /Pages %d 0 R >>" % pages_id)
out = bytearray(b"%PDF-1.4\n")
offsets = []
for i, body in enumerate(objects, 1):
    offsets.append(len(out))
    out += b"%d 0 obj\n" % i + body + b"\nendobj\n"
xref = len(out)
out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
out += b"".join(b"%010d 00000 n \n" % o for o in offsets)
out += b"trailer\n<< /Size %d /Root %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, catalog, xref)
open(sys.argv[1], "wb").write(out)
PY
peak() { /usr/bin/time -f '%M' "$program" -i "$work/200.pdf" -o "$work/mem.docx" -f docx "$@" 2>&1 >/dev/null | tail -1; }
echo "$(peak)" > "$work/rss200"
echo "$(peak -p 1-20)" > "$work/rss20"

python3 - "$work" "${files[@]}" <<'PY'
import json, sys
work, files = sys.argv[1], sys.argv[2:]
print()
print("Pages per second (mean wall-clock time of hyperfine's runs); ratio = docx time / txt time:")
print()
print("| file | pages | docx (pages/s) | txt (pages/s) | time ratio |")
print("|---|---|---|---|---|")
tot = {"docx": 0.0, "txt": 0.0}
pages_all = 0
for f in files:
    r = {x["command"]: x for x in json.load(open(f"{work}/{f}.json"))["results"]}
    pages = int(open(f"{work}/{f}.pages").read().strip() or 0)
    d, t = r["docx"]["mean"], r["txt"]["mean"]
    tot["docx"] += d; tot["txt"] += t; pages_all += pages
    print(f"| {f} | {pages} | {pages / d:.1f} | {pages / t:.1f} | {d / t:.2f} |")
print(f"| all | {pages_all} | {pages_all / tot['docx']:.1f} | {pages_all / tot['txt']:.1f} | {tot['docx'] / tot['txt']:.2f} |")
r200 = int(open(f"{work}/rss200").read()); r20 = int(open(f"{work}/rss20").read())
print()
print(f"Peak resident memory, -f docx: 200 pages {r200 / 1024:.1f} MB, first 20 pages {r20 / 1024:.1f} MB, ratio {r200 / r20:.2f}")
PY
