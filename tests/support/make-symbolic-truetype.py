#!/usr/bin/env python3
"""Writes a small symbolic TrueType font for the tests: its only character map is the Windows
symbol map (3,0), with glyphs at U+F020 (space, 250 units), U+F06C (a filled circle, 800 units)
and U+F06E (a square, 750 units) of a 1000-unit em.

With --mac-letters, a subset as some writers embed one instead: its only character map is the
Macintosh one (1,0), giving the codes of the letters of "MetroRock's", of the space (their ASCII
values), of the bullet (0xA5) and of the right single quote (0xD5, their Mac OS Roman codes)
glyphs named after them, each 500 units wide. With --no-glyph-names instead, as other writers
embed a subset: its glyphs have no names (a post table of format 3), and the map numbers the
letters of "MetroRock" from 33 on in the order they come ("!" for M, '"' for e, "#" for t, ...).

Usage: make-symbolic-truetype.py OUTPUT.ttf [--mac-letters | --no-glyph-names]
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


def mac_letters(path, glyph_names):
    from fontTools.ttLib.tables._c_m_a_p import cmap_format_0

    if glyph_names:
        codes = {ord(c): c for c in "MetroRcks"}
        codes.update({0x20: "space", 0xA5: "bullet", 0xD5: "quoteright"})
    else:
        codes = {33 + i: c for i, c in enumerate("MetroRck")}
    order = [".notdef"] + sorted(codes.values())
    builder = FontBuilder(1000, isTTF=True)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap({})
    empty = TTGlyphPen(None).glyph()
    builder.setupGlyf({name: empty if name == "space" else box(50, 0, 450, 700) for name in order})
    builder.setupHorizontalMetrics({name: (500, 50) for name in order})
    builder.setupHorizontalHeader(ascent=800, descent=-200)
    builder.setupNameTable({"familyName": "Test Letters", "styleName": "Regular", "psName": "TestLetters"})
    builder.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    builder.setupPost(keepGlyphNames=glyph_names)
    table = cmap_format_0(0)
    table.platformID, table.platEncID, table.language = 1, 0, 0
    table.cmap = dict(codes)
    builder.font["cmap"].tables = [table]
    builder.save(path)


def main():
    if "--mac-letters" in sys.argv[2:] or "--no-glyph-names" in sys.argv[2:]:
        mac_letters(sys.argv[1], "--no-glyph-names" not in sys.argv[2:])
        return
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
