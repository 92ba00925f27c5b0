#!/usr/bin/env python3
"""docs/reference.md against src/frame/exports.table: every export has one
row in the behaviour tables (ordinal and function name) and one row in the
"Export names" table (ordinal and exact exported name), and no other
ordinal appears in either.

usage: check_reference.py EXPORTS_TABLE REFERENCE_MD
"""
import re
import sys


def read_table(path):
    exports = {}
    for line in open(path, encoding="utf-8"):
        m = re.match(r"^(\d+)\s+(\S+)\s+(\S+)\s*$", line)
        if m:
            ordinal, name = int(m.group(1)), m.group(2)
            # ?GetCenterAddr@tavixconfig@@... -> GetCenterAddr; plain names as they are
            function = name[1:name.index("@")] if name.startswith("?") else name
            exports[ordinal] = (function, name)
    return exports


def read_reference(path):
    behaviour, names, problems = {}, {}, []
    in_names = False
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        if line.startswith("## "):
            in_names = line.strip() == "## Export names"
            continue
        m = re.match(r"^\| (\d+) \| `([^`]+)` \|", line)
        if not m:
            continue
        ordinal, text = int(m.group(1)), m.group(2)
        rows = names if in_names else behaviour
        if ordinal in rows:
            problems.append(f"line {number}: ordinal {ordinal} appears twice in the same part")
        rows[ordinal] = text
    return behaviour, names, problems


def main():
    exports = read_table(sys.argv[1])
    behaviour, names, problems = read_reference(sys.argv[2])
    if len(exports) != 64:
        problems.append(f"the export table has {len(exports)} rows, not 64")
    for part, rows, want in (("behaviour tables", behaviour, 0), ("Export names", names, 1)):
        for ordinal in sorted(set(exports) - set(rows)):
            problems.append(f"{part}: ordinal {ordinal} ({exports[ordinal][want]}) is missing")
        for ordinal in sorted(set(rows) - set(exports)):
            problems.append(f"{part}: ordinal {ordinal} ({rows[ordinal]}) is not in the export table")
        for ordinal in sorted(set(rows) & set(exports)):
            if rows[ordinal] != exports[ordinal][want]:
                problems.append(f"{part}: ordinal {ordinal} is {rows[ordinal]}, the table says {exports[ordinal][want]}")
    for p in problems:
        print(p)
    if problems:
        return 1
    print(f"docs/reference.md matches the export table: {len(exports)} exports")
    return 0


if __name__ == "__main__":
    sys.exit(main())
