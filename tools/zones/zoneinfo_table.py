#!/usr/bin/env python3
"""Turns libical's zone files (share/libical/zoneinfo/AREA/CITY.ics) into a C++ table
for the Windows program, which has no system zone database libical can read: each
IANA name with its VTIMEZONE text, sorted by name for a binary search.

Usage: zoneinfo_table.py ZONEINFO_DIR OUTPUT.inc
"""
import os
import sys


def vtimezone(text):
    begin = text.find("BEGIN:VTIMEZONE")
    end = text.rfind("END:VTIMEZONE")
    if begin < 0 or end < 0:
        return None
    return text[begin:end + len("END:VTIMEZONE")] + "\r\n"


def main():
    root, output = sys.argv[1], sys.argv[2]
    zones = {}
    for folder, _, files in os.walk(root):
        for name in files:
            if not name.endswith(".ics"):
                continue
            path = os.path.join(folder, name)
            zone = os.path.relpath(path, root)[:-4].replace(os.sep, "/")
            with open(path, encoding="utf-8") as f:
                body = vtimezone(f.read())
            if body:
                zones[zone] = body
    if len(zones) < 300:
        sys.exit(f"{root}: only {len(zones)} zone files; not libical's zoneinfo?")
    lines = ["// Made from libical's zone files by tools/zones/zoneinfo_table.py; do not edit."]
    for zone in sorted(zones):
        lines.append('{"%s", R"ICS(%s)ICS"},' % (zone, zones[zone]))
    text = "\n".join(lines) + "\n"
    try:
        if open(output, encoding="utf-8").read() == text:
            return
    except OSError:
        pass
    with open(output, "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    main()
