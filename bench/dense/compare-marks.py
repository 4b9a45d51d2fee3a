#!/usr/bin/python3
"""compare.py MARKS INPUT_IMAGE OUTPUT_IMAGE DPI [PAGE_W_PT PAGE_H_PT]

Counts the sampled marks that the input's rendering inks and, of those, the ones the output's
rendering also inks within a couple of pixels. Prints: "<drawn> <visible> <share%>".
A pixel is ink when its grey is below 230 (white 255). Mark positions are PDF points, origin
bottom-left; the output image is scaled onto the page when its size differs (page images, soffice
renderings of a slightly different page size).
"""
import sys
import numpy as np
from PIL import Image

Image.MAX_IMAGE_PIXELS = None
INK = 230


def gray(path):
    return np.asarray(Image.open(path).convert("L"))


def main():
    marks_path, inp, outp, dpi = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4])
    pw = float(sys.argv[5]) if len(sys.argv) > 5 else 612.0
    ph = float(sys.argv[6]) if len(sys.argv) > 6 else 792.0
    a = gray(inp)
    b = gray(outp)
    marks = np.loadtxt(marks_path, ndmin=2)
    ra = 1  # the input is rendered at exactly dpi: the mark's own pixel and its neighbours
    rb = max(2, int(round(2 * dpi / 144.0)))  # "within a pixel or two" at 144 dpi
    sxa, sya = a.shape[1] / pw, a.shape[0] / ph
    sxb, syb = b.shape[1] / pw, b.shape[0] / ph
    visible = drawn = 0
    for x, y in marks:
        ax, ay = int(x * sxa), int((ph - y) * sya)
        win = a[max(0, ay - ra):ay + ra + 1, max(0, ax - ra):ax + ra + 1]
        if win.size == 0 or win.min() >= INK:
            continue
        visible += 1
        bx, by = int(x * sxb), int((ph - y) * syb)
        win = b[max(0, by - rb):by + rb + 1, max(0, bx - rb):bx + rb + 1]
        if win.size and win.min() < INK:
            drawn += 1
    share = 100.0 * drawn / visible if visible else 0.0
    print("%d %d %.1f" % (drawn, visible, share))


if __name__ == "__main__":
    main()
