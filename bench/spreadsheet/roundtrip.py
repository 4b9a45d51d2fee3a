#!/usr/bin/python3
"""Round trip of spreadsheets: each X.xlsx.pdf of the corpus's roundtrip set (a PDF printed from the
workbook X.xlsx beside it) is converted back with `KXDocuvane -f xlsx`, and the cell values of the
result are compared with those of the original workbook: the share of the original's non-empty
cells whose value the result holds (as a multiset: each value found as often as it occurs).
Values compare as texts with all white space removed; numbers by value (to 10 significant digits),
so 0.25 shown as 25% matches 0.25.

usage: roundtrip.py KXDOCUVANE [ROUNDTRIP-FOLDER]
"""
import collections, os, re, subprocess, sys, tempfile, warnings

warnings.simplefilter("ignore")
import openpyxl


def key(v):
    if v is None:
        return None
    if isinstance(v, bool):
        return str(v)
    if isinstance(v, (int, float)):
        return "%.10g" % v
    if hasattr(v, "isoformat"):
        return v.isoformat()
    s = re.sub(r"\s+", "", str(v))
    return s or None


def values(path):
    wb = openpyxl.load_workbook(path, data_only=True)
    out = collections.Counter()
    for ws in wb.worksheets:
        for row in ws.iter_rows(values_only=True):
            for v in row:
                k = key(v)
                if k is not None:
                    out[k] += 1
    return out


def main():
    program = sys.argv[1]
    folder = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "../../../shared/corpus/roundtrip")
    work = tempfile.mkdtemp(prefix="xlsx-roundtrip-")
    print("file\toriginal cells\tfound\tshare")
    shares = []
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".xlsx.pdf"):
            continue
        pdf = os.path.join(folder, name)
        original = os.path.join(folder, name[:-4])
        out = os.path.join(work, name[:-4])
        subprocess.run([program, "-i", pdf, "-o", out, "-f", "xlsx"], stdout=subprocess.DEVNULL, check=True)
        want, got = values(original), values(out)
        found = sum((want & got).values())
        total = sum(want.values())
        share = found / total if total else float("nan")
        shares.append(share)
        print("%s\t%d\t%d\t%.3f" % (name, total, found, share))
    print("MEAN\t-\t-\t%.3f" % (sum(shares) / len(shares)))


if __name__ == "__main__":
    main()
