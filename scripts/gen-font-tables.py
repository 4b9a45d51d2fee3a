#!/usr/bin/env python3
"""Generates the glyph-name and standard-font width tables of the font code.

Reads the Adobe Glyph List (and its list for new fonts) shipped with python3-fonttools and the AFM
metrics of the URW base-35 fonts (fonts-urw-base35), which are metric-compatible with the 14
standard PDF fonts, and writes one C++ source file with three tables:

- the glyph list: (glyph name, Unicode value) pairs sorted by name, the single-value names of the
  glyph list plus a one-character name for each printable ASCII character;
- the preferred names: (Unicode value, glyph name) pairs sorted by value, one name per value of the
  glyph list; the name for new fonts where there is one, else the first name in name order; the
  no-break space is called "space" and the soft hyphen "hyphen", as standard Latin fonts call them;
- the glyph widths of each standard font, from its AFM file;
- the built-in encodings of the two symbol fonts (Symbol, ZapfDingbats): the glyph name and Unicode
  value of each code their AFM files encode; values from the glyph list, and from its list of the
  dingbat names ("a1" ... "a191") for ZapfDingbats;
- the upper halves of the Mac OS Roman and Windows-1252 character sets (Python's codecs), 0 where
  the character set leaves a byte undefined.

Usage: gen-font-tables.py OUTPUT.cpp [AFM_FOLDER]
"""

import os
import sys

try:
    import fontTools.agl as agl
except ImportError:  # a Python of its own (pyenv, venv) does not see Debian's packages
    sys.path.append("/usr/lib/python3/dist-packages")
    import fontTools.agl as agl

AFM_FOLDER = "/usr/share/fonts/type1/urw-base35"

# The standard font each AFM file stands in for, in the order of the font table.
STANDARD_FONTS = [
    ("Courier", "NimbusMonoPS-Regular"),
    ("Courier-Bold", "NimbusMonoPS-Bold"),
    ("Courier-BoldOblique", "NimbusMonoPS-BoldItalic"),
    ("Courier-Oblique", "NimbusMonoPS-Italic"),
    ("Helvetica", "NimbusSans-Regular"),
    ("Helvetica-Bold", "NimbusSans-Bold"),
    ("Helvetica-BoldOblique", "NimbusSans-BoldItalic"),
    ("Helvetica-Oblique", "NimbusSans-Italic"),
    ("Symbol", "StandardSymbolsPS"),
    ("Times-Bold", "NimbusRoman-Bold"),
    ("Times-BoldItalic", "NimbusRoman-BoldItalic"),
    ("Times-Italic", "NimbusRoman-Italic"),
    ("Times-Roman", "NimbusRoman-Regular"),
    ("ZapfDingbats", "D050000L"),
]

PREFERRED_OVERRIDES = {0x00A0: "space", 0x00AD: "hyphen"}


def glyph_list():
    names = {}
    for line in agl._aglText.splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        name, values = line.split(";")
        values = values.split()
        if len(values) != 1 or name in names:
            continue
        names[name] = int(values[0], 16)
    for code in range(0x21, 0x7F):
        names.setdefault(chr(code), code)
    return names


def preferred_names(names):
    fresh = {}
    for line in agl._aglfnText.splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        value, name = line.split(";")[:2]
        fresh.setdefault(int(value, 16), name)
    preferred = {}
    for name in sorted(names, key=lambda n: n.encode()):
        value = names[name]
        if value not in preferred:
            preferred[value] = name
    for value in preferred:
        if value in fresh:
            preferred[value] = fresh[value]
    preferred.update(PREFERRED_OVERRIDES)
    return preferred


def afm_widths(path):
    widths = []
    in_metrics = False
    with open(path, encoding="latin-1") as f:
        for line in f:
            line = line.strip()
            if line.startswith("StartCharMetrics"):
                in_metrics = True
                continue
            if line.startswith("EndCharMetrics"):
                break
            if not in_metrics:
                continue
            fields = {}
            for part in line.split(";"):
                part = part.split()
                if len(part) >= 2:
                    fields[part[0]] = part[1]
            if "N" in fields and "WX" in fields:
                widths.append((fields["N"], int(round(float(fields["WX"])))))
    if not widths:
        raise SystemExit("no metrics in " + path)
    return widths


def afm_encoding(path):
    codes = {}
    with open(path, encoding="latin-1") as f:
        for line in f:
            fields = {}
            for entry in line.strip().split(";"):
                words = entry.split()
                if len(words) >= 2:
                    fields[words[0]] = words[1]
            if "C" in fields and "N" in fields and 0 <= int(fields["C"]) < 256:
                codes[int(fields["C"])] = fields["N"]
    if not codes:
        raise SystemExit("no encoded glyphs in " + path)
    return codes


def dingbat_names():
    # The dingbat list is a string indexed by the number of the glyph name, a space where no name.
    names = {}
    for number, char in enumerate(agl._AGL_ZAPF_DINGBATS):
        if char != " ":
            names["a%d" % number] = ord(char)
    if not names:
        raise SystemExit("the glyph list has no dingbat names")
    return names


def c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    output = sys.argv[1]
    folder = sys.argv[2] if len(sys.argv) > 2 else AFM_FOLDER
    names = glyph_list()
    preferred = preferred_names(names)
    widths_of = {afm: afm_widths(os.path.join(folder, afm + ".afm")) for _, afm in STANDARD_FONTS}

    # The tables hold their names in fixed fields (kGlyphNameSize in KXFontTables_p.h, NUL included).
    longest = max([len(n.encode()) for n in names] + [len(n.encode()) for afm in widths_of.values() for n, _ in afm])
    if longest + 1 > 40:
        sys.exit("gen-font-tables: a glyph name of %d bytes does not fit kGlyphNameSize" % longest)

    lines = [
        "// Generated by scripts/gen-font-tables.py from the Adobe Glyph List and the URW base-35 AFM",
        "// metrics. Do not edit.",
        '#include "fonts/KXFontTables_p.h"',
        "",
        "namespace kx::detail {",
        "",
        "const GlyphNameEntry kGlyphList[] = {",
    ]
    for name in sorted(names, key=lambda n: n.encode()):
        lines.append("    {%s, 0x%04X}," % (c_string(name), names[name]))
    lines += ["};", "const size_t kGlyphListCount = sizeof(kGlyphList) / sizeof(kGlyphList[0]);", ""]

    lines.append("const PreferredNameEntry kPreferredNames[] = {")
    for value in sorted(preferred):
        lines.append("    {0x%04X, %s}," % (value, c_string(preferred[value])))
    lines += ["};", "const size_t kPreferredNamesCount = sizeof(kPreferredNames) / sizeof(kPreferredNames[0]);", ""]

    for index, (font, afm) in enumerate(STANDARD_FONTS):
        widths = widths_of[afm]
        lines.append("// %s, from %s.afm" % (font, afm))
        lines.append("static const GlyphWidthEntry kWidths%d[] = {" % index)
        for name, width in widths:
            lines.append("    {%s, %d}," % (c_string(name), width))
        lines.append("};")
    lines.append("")
    lines.append("const StandardFontWidths kStandardFontWidths[14] = {")
    for index, (font, _) in enumerate(STANDARD_FONTS):
        lines.append("    {%s, kWidths%d, sizeof(kWidths%d) / sizeof(kWidths%d[0])}," % (c_string(font), index, index, index))
    lines += ["};", ""]

    dingbats = dingbat_names()
    for table, afm, extra in (("kSymbolEncoding", "StandardSymbolsPS", {}),
                              ("kZapfDingbatsEncoding", "D050000L", dingbats)):
        codes = afm_encoding(os.path.join(folder, afm + ".afm"))
        lines.append("// From %s.afm." % afm)
        lines.append("const EncodedGlyph %s[256] = {" % table)
        for code in range(256):
            name = codes.get(code)
            value = names.get(name, extra.get(name)) if name else None
            if name is None or value is None:
                lines.append("    {nullptr, 0},")
            else:
                lines.append("    {%s, 0x%04X}," % (c_string(name), value))
        lines += ["};", ""]

    for table, codec in (("kMacRomanUpper", "mac_roman"), ("kWinAnsiUpper", "cp1252")):
        values = []
        for byte in range(0x80, 0x100):
            try:
                values.append(ord(bytes([byte]).decode(codec)))
            except UnicodeDecodeError:
                values.append(0)
        lines.append("const std::uint16_t %s[128] = {" % table)
        for row in range(0, 128, 8):
            lines.append("    " + " ".join("0x%04X," % v for v in values[row:row + 8]))
        lines.append("};")
    lines += ["", "}  // namespace kx::detail", ""]

    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    text = "\n".join(lines)
    if os.path.exists(output):
        with open(output) as f:
            if f.read() == text:
                return
    with open(output + ".tmp", "w") as f:
        f.write(text)
    os.replace(output + ".tmp", output)


if __name__ == "__main__":
    main()
