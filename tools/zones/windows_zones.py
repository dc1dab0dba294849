#!/usr/bin/env python3
"""Turns CLDR's windowsZones.xml into a C++ table: each Windows zone name (what
Outlook and Exchange write as a TZID) with the IANA zone CLDR gives for the world
("001"), sorted by name for a binary search.

Usage: windows_zones.py windowsZones.xml OUTPUT.inc
"""
import sys
import xml.etree.ElementTree as ET


def main():
    source, output = sys.argv[1], sys.argv[2]
    zones = {}
    for zone in ET.parse(source).getroot().iter("mapZone"):
        if zone.get("territory") == "001":
            zones[zone.get("other")] = zone.get("type").split()[0]
    if len(zones) < 100:
        sys.exit(f"{source}: only {len(zones)} Windows zones; not CLDR's table?")
    lines = ["// Made from CLDR's windowsZones.xml by tools/zones/windows_zones.py; do not edit."]
    for name in sorted(zones):
        lines.append('{"%s", "%s"},' % (name.replace('"', '\\"'), zones[name]))
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
