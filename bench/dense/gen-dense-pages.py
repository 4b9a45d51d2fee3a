#!/usr/bin/python3
"""Writes the dense-page PDFs (letter pages, the way chart/map/CAD producers write them).

usage: gen-dense-pages.py OUTDIR [name ...]     (no names: every page)
Beside each NAME.pdf goes NAME.marks: one "x y" per line, mark centres in PDF points
(origin bottom-left), a fixed-seed sample of at most 4000 of the page's marks.
"""
import math, os, random, sys, zlib

W, H = 612, 792
PLOT = (50, 80, 512, 632)          # plot/map area: x y w h
PLOT_RE = "%d %d %d %d re W n" % PLOT
PAGE_RE = "0 0 %d %d re W n" % (W, H)
COLOURS = ["0.12 0.25 0.70 rg", "0.80 0.20 0.10 rg", "0.10 0.50 0.15 rg", "0.45 0.10 0.55 rg"]
SAMPLE = 4000


def f(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


def pdf(path, content, images=None):
    images = images or {}
    objs = []
    objs.append(b"<< /Type /Catalog /Pages 2 0 R >>")
    objs.append(b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
    xo = b""
    if images:
        xo = b" /XObject << " + b" ".join(b"/%s %d 0 R" % (n.encode(), 5 + i) for i, n in enumerate(images)) + b" >>"
    objs.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Contents 4 0 R /Resources <<%s >> >>" % (W, H, xo))
    data = zlib.compress(content.encode(), 6)
    objs.append(b"<< /Length %d /Filter /FlateDecode >>\nstream\n" % len(data) + data + b"\nendstream")
    for name, (dict_, stream) in images.items():
        objs.append(dict_ + b" /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream")
    out = bytearray(b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for i, o in enumerate(objs):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % (i + 1) + o + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objs) + 1)
    for off in offsets:
        out += b"%010d 00000 n \n" % off
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, xref)
    with open(path, "wb") as fh:
        fh.write(out)


def write_marks(path, marks, seed=7):
    rnd = random.Random(seed)
    if len(marks) > SAMPLE:
        marks = rnd.sample(marks, SAMPLE)
    with open(path, "w") as fh:
        for x, y in marks:
            fh.write("%.2f %.2f\n" % (x, y))


def plot_point(rnd):
    x0, y0, w, h = PLOT
    return x0 + 2 + rnd.random() * (w - 4), y0 + 2 + rnd.random() * (h - 4)


def scatter(n, shape="square", own_clip=False, seed=1):
    rnd = random.Random(seed)
    parts = [PAGE_RE]
    marks = []
    s = 2.0
    for i in range(n):
        x, y = plot_point(rnd)
        marks.append((x, y))
        if shape == "square":
            mark = "%s %s %s %s re f" % (f(x - s / 2), f(y - s / 2), f(s), f(s))
        else:  # a circle as four beziers, the way plotting libraries write their markers
            r, k = 1.5, 1.5 * 0.5523
            mark = ("%s %s m %s %s %s %s %s %s c %s %s %s %s %s %s c %s %s %s %s %s %s c %s %s %s %s %s %s c h f" % (
                f(x + r), f(y),
                f(x + r), f(y + k), f(x + k), f(y + r), f(x), f(y + r),
                f(x - k), f(y + r), f(x - r), f(y + k), f(x - r), f(y),
                f(x - r), f(y - k), f(x - k), f(y - r), f(x), f(y - r),
                f(x + k), f(y - r), f(x + r), f(y - k), f(x + r), f(y)))
        col = COLOURS[i % len(COLOURS)]
        if own_clip:
            parts.append("q %s %s %s Q" % (PLOT_RE, col, mark))
        else:
            parts.append("%s %s" % (col, mark))
    return "\n".join(parts), marks


def polygon(rnd, cx, cy, r):
    k = rnd.randint(10, 30)
    angs = sorted(rnd.random() * 2 * math.pi for _ in range(k))
    pts = [(cx + r * (0.6 + 0.4 * rnd.random()) * math.cos(a), cy + r * (0.6 + 0.4 * rnd.random()) * math.sin(a)) for a in angs]
    s = "%s %s m " % (f(pts[0][0]), f(pts[0][1])) + " ".join("%s %s l" % (f(px), f(py)) for px, py in pts[1:]) + " h"
    return s


def gmap(n, own_clip=False, seed=2):
    rnd = random.Random(seed)
    x0, y0, w, h = PLOT
    r = max(1.6, math.sqrt(w * h / n / math.pi) * 1.1)
    parts = [PAGE_RE, "0.2 G 0.3 w"]
    if not own_clip:
        parts.append(PLOT_RE)
    marks = []
    for i in range(n):
        cx, cy = plot_point(rnd)
        marks.append((cx, cy))
        fill = "%.2f %.2f %.2f rg" % (0.2 + 0.5 * rnd.random(), 0.3 + 0.4 * rnd.random(), 0.2 + 0.5 * rnd.random())
        body = "%s %s B" % (fill, polygon(rnd, cx, cy, r))
        parts.append("q %s %s Q" % (PLOT_RE, body) if own_clip else body)
    return "\n".join(parts), marks


def chart(n, seed=3):
    # n short segments of several series, each segment stroked under the plot clip on its own
    rnd = random.Random(seed)
    x0, y0, w, h = PLOT
    series = 20
    per = n // series
    parts = [PAGE_RE, "1 w 1 J"]
    marks = []
    for sidx in range(series):
        col = ["0.1 0.2 0.7 RG", "0.8 0.2 0.1 RG", "0.1 0.5 0.1 RG", "0.4 0.1 0.5 RG"][sidx % 4]
        y = y0 + 20 + rnd.random() * (h - 40)
        for j in range(per):
            xa = x0 + w * j / per
            xb = x0 + w * (j + 1) / per
            yb = min(y0 + h - 5, max(y0 + 5, y + rnd.uniform(-6, 6)))
            marks.append(((xa + xb) / 2, (y + yb) / 2))
            parts.append("q %s %s %s %s m %s %s l S Q" % (PLOT_RE, col, f(xa), f(y), f(xb), f(yb)))
            y = yb
    return "\n".join(parts), marks


def polyline(n=50000, seed=4):
    rnd = random.Random(seed)
    x0, y0, w, h = PLOT
    pts = [(x0 + w * i / (n - 1), y0 + 10 + rnd.random() * (h - 20)) for i in range(n)]
    body = "%s %s m\n" % (f(pts[0][0]), f(pts[0][1])) + "\n".join("%s %s l" % (f(x), f(y)) for x, y in pts[1:])
    return "\n".join([PAGE_RE, "0.1 0.1 0.6 RG 0.5 w 1 j", body, "S"]), pts


def cad(n=200000, seed=5):
    rnd = random.Random(seed)
    parts = [PAGE_RE, "0 G 0.3 w"]
    marks = []
    body = []
    for i in range(n):
        x, y = 20 + rnd.random() * (W - 40), 20 + rnd.random() * (H - 40)
        a = rnd.random() * math.pi
        dx, dy = 1.5 * math.cos(a), 1.5 * math.sin(a)
        body.append("%s %s m %s %s l" % (f(x - dx), f(y - dy), f(x + dx), f(y + dy)))
        marks.append((x, y))
    parts.append("\n".join(body))
    parts.append("S")
    return "\n".join(parts), marks


def strokes(n=120000, length=8.0):
    # short vertical strokes in rows from the top of the page to the bottom, each stroked on its own
    cols = 600
    rows = (n + cols - 1) // cols
    parts = ["0 G 0.4 w"]
    marks = []
    for i in range(n):
        r, c = divmod(i, cols)
        x = 20 + (W - 40) * (c + 0.5) / cols
        y = H - 20 - (H - 40) * (r + 0.5) / rows
        parts.append("%s %s m %s %s l S" % (f(x), f(y - length / 2), f(x), f(y + length / 2)))
        marks.append((x, y))
    return "\n".join(parts), marks


def scan():
    wpx, hpx = 9920, 14030
    # a smooth diagonal gradient (grey 40..200) with a faint stripe pattern: compresses well
    base = bytes(40 + int(160 * (0.5 + 0.5 * math.sin(2 * math.pi * x / 2480.0))) for x in range(wpx + hpx))
    comp = zlib.compressobj(6)
    chunks = []
    for y in range(hpx):
        k = (y // 2) % (wpx + hpx - wpx)
        chunks.append(comp.compress(base[k:k + wpx]))
    chunks.append(comp.flush())
    data = b"".join(chunks)
    img = b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode" % (wpx, hpx)
    content = "q %d 0 0 %d 0 0 cm /Im0 Do Q" % (W, H)
    rnd = random.Random(6)
    marks = [(5 + rnd.random() * (W - 10), 5 + rnd.random() * (H - 10)) for _ in range(2000)]
    return content, marks, {"Im0": (img, data)}


PAGES = {
    "scatter-sq-3k": lambda: scatter(3000),
    "scatter-sq-5k": lambda: scatter(5000),
    "scatter-sq-10k": lambda: scatter(10000),
    "scatter-sq-20k": lambda: scatter(20000),
    "scatter-sq-100k": lambda: scatter(100000),
    "scatter-round-5k": lambda: scatter(5000, "round"),
    "scatter-round-20k": lambda: scatter(20000, "round"),
    "scatter-own-10k": lambda: scatter(10000, own_clip=True),
    "scatter-own-20k": lambda: scatter(20000, own_clip=True),
    "scatter-own-50k": lambda: scatter(50000, own_clip=True),
    "map-5k": lambda: gmap(5000),
    "map-30k": lambda: gmap(30000),
    "map-own-2k": lambda: gmap(2000, own_clip=True),
    "map-own-10k": lambda: gmap(10000, own_clip=True),
    "map-own-30k": lambda: gmap(30000, own_clip=True),
    "chart-10k": lambda: chart(10000),
    "chart-20k": lambda: chart(20000),
    "polyline-50k": polyline,
    "cad-200k": cad,
    "strokes-120k": strokes,
    "scan-1200dpi": scan,
}

if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    names = sys.argv[2:] or list(PAGES)
    os.makedirs(out, exist_ok=True)
    for name in names:
        res = PAGES[name]()
        content, marks = res[0], res[1]
        images = res[2] if len(res) > 2 else None
        pdf(os.path.join(out, name + ".pdf"), content, images)
        write_marks(os.path.join(out, name + ".marks"), marks)
        print(name, os.path.getsize(os.path.join(out, name + ".pdf")))
