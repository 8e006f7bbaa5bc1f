#!/usr/bin/env python3
"""The bytes of tunelamp.exe each feature brings: from the linker's map (tunelamp.map beside the
build), the sections the linker kept of each object file, summed by the feature the file belongs
to. Prints a Markdown table. The sum is below the file's size: headers, alignment and the import
table belong to no object file.

  feature_bytes.py build/win/tunelamp.map
"""

import re
import sys

# A feature's object files, by their names' start; the first that matches counts.
FEATURES = [
    ("Discord's \"Listening to\"", ("discord_", "presence", "run_waits")),
    ("The now-playing file", ("share_file",)),
    ("Languages", ("texts", "lang", "language")),
    ("Several players", ("player_choice",)),
    ("Safe saves", ("safe_replace",)),
    ("The track's fields and the template", ("track_fields", "player_fields", "title_template")),
    ("The settings window", ("settings_window", "settings_store", "settings_writer")),
    ("Resources (icon, manifest, dialog, version)", ("tunelamp.rc",)),
]
SECTION = re.compile(r"^ (\.\S+)")
PIECE = re.compile(r"^\s+(?:(\.\S+)\s+)?0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S+)\s*$")


def feature_of(obj):
    name = re.sub(r".*[/(]", "", obj).rstrip(")")
    for feature, starts in FEATURES:
        if name.startswith(starts):
            return feature
    if "libstdc++" in obj or "libgcc" in obj or "libmingw" in obj or "crt" in name:
        return "The C and C++ run-time"
    return "Everything else"


def main():
    totals = {}
    mapped = False
    section = ""
    with open(sys.argv[1], encoding="utf-8", errors="replace") as f:
        for line in f:
            if line.startswith("Linker script and memory map"):
                mapped = True
                continue
            if not mapped:
                continue
            head = SECTION.match(line)
            if head:
                section = head.group(1)
            piece = PIECE.match(line)
            if not piece:
                continue
            section = piece.group(1) or section
            # Uninitialised data and debugging information take no room in the file.
            if section.startswith((".bss", ".debug", ".stab")) or "COMMON" in section:
                continue
            size = int(piece.group(2), 16)
            feature = feature_of(piece.group(3))
            totals[feature] = totals.get(feature, 0) + size
    print("| Feature | Bytes kept by the linker |")
    print("|---|---|")
    order = [f for f, _ in FEATURES] + ["Everything else", "The C and C++ run-time"]
    for feature in order:
        if feature in totals:
            print(f"| {feature} | {totals[feature]} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
