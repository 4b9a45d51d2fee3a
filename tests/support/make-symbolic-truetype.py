#!/usr/bin/env python3
"""Writes a small symbolic TrueType font for the tests: its only character map is the Windows
symbol map (3,0), with glyphs at U+F020 (space, 250 units), U+F06C (a filled circle, 800 units)
and U+F06E (a square, 750 units) of a 1000-unit em.

Usage: make-symbolic-truetype.py OUTPUT.ttf
"""

import sys

try:
    from fontTools.fontBuilder import FontBuilder
except ImportError:  # a Python of its own (pyenv, venv) does not see Debian's packages
    sys.path.append("/usr/lib/python3/dist-packages")
    from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen


def box(x0, y0, x1, y1):
    pen = TTGlyphPen(None)
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y1))
    pen.lineTo((x1, y1))
    pen.lineTo((x1, y0))
    pen.closePath()
    return pen.glyph()


def main():
    builder = FontBuilder(1000, isTTF=True)
    order = [".notdef", "space", "circle", "square"]
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap({0xF020: "space", 0xF06C: "circle", 0xF06E: "square"})
    empty = TTGlyphPen(None).glyph()
    builder.setupGlyf({".notdef": box(50, 0, 450, 700), "space": empty, "circle": box(100, 0, 700, 600),
                       "square": box(100, 0, 650, 550)})
    builder.setupHorizontalMetrics({".notdef": (500, 50), "space": (250, 0), "circle": (800, 100),
                                    "square": (750, 100)})
    builder.setupHorizontalHeader(ascent=800, descent=-200)
    builder.setupNameTable({"familyName": "Test Symbols", "styleName": "Regular", "psName": "TestSymbols"})
    builder.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    builder.setupPost()
    cmap = builder.font["cmap"]
    # A symbol font: the Windows symbol encoding only.
    cmap.tables = [t for t in cmap.tables if t.platformID == 3]
    for table in cmap.tables:
        table.platEncID = 0
    builder.save(sys.argv[1])


if __name__ == "__main__":
    main()
