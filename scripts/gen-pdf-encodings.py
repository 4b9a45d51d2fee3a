#!/usr/bin/env python3
"""Copies the Adobe CMap resources into the parser's resource bundle.

Every CMap of poppler-data's cMap folder (the encoding CMaps of each character collection and the
top-level Identity maps) goes, flattened, into PDFEncodings/CMap; the four Adobe-*-UCS2 tables, which
map CIDs to Unicode in ToUnicode syntax, also go into PDFEncodings/CIDToUnicode.

Usage: gen-pdf-encodings.py BUNDLE_FOLDER STAMP_FILE [CMAP_FOLDER]
"""

import os
import shutil
import sys

CMAP_FOLDER = "/usr/share/poppler/cMap"
UCS2_TABLES = ["Adobe-CNS1-UCS2", "Adobe-GB1-UCS2", "Adobe-Japan1-UCS2", "Adobe-Korea1-UCS2"]


def copy_if_changed(source, target):
    if os.path.exists(target) and os.path.getsize(target) == os.path.getsize(source):
        with open(source, "rb") as a, open(target, "rb") as b:
            if a.read() == b.read():
                return
    shutil.copyfile(source, target)


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    bundle, stamp = sys.argv[1], sys.argv[2]
    source = sys.argv[3] if len(sys.argv) > 3 else CMAP_FOLDER
    cmap_dir = os.path.join(bundle, "PDFEncodings", "CMap")
    ucs2_dir = os.path.join(bundle, "PDFEncodings", "CIDToUnicode")
    os.makedirs(cmap_dir, exist_ok=True)
    os.makedirs(ucs2_dir, exist_ok=True)

    found = {}
    for root, _, files in os.walk(source):
        for name in sorted(files):
            path = os.path.join(root, name)
            # The first copy of a name wins; the collections do not share names.
            found.setdefault(name, path)
    if not found:
        raise SystemExit("no CMap files under " + source)
    for name, path in sorted(found.items()):
        copy_if_changed(path, os.path.join(cmap_dir, name))
    for table in UCS2_TABLES:
        if table not in found:
            raise SystemExit("missing " + table + " under " + source)
        copy_if_changed(found[table], os.path.join(ucs2_dir, table))

    with open(stamp, "w") as f:
        f.write("%d CMaps\n" % len(found))


if __name__ == "__main__":
    main()
