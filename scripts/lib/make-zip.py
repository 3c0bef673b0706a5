#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' names and contents.

Usage: make-zip.py OUTPUT.zip FILE...  (each FILE is stored under its base
name). Entries are sorted, every entry gets the same date and permissions, and
no host-specific extra fields are written, so the same inputs always give the
same archive.
"""
import os
import sys
import zipfile

FIXED_DATE = (2026, 1, 1, 0, 0, 0)


def main() -> int:
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    output, files = sys.argv[1], sys.argv[2:]
    names = sorted(files, key=os.path.basename)
    with zipfile.ZipFile(output, "w") as archive:
        for path in names:
            info = zipfile.ZipInfo(os.path.basename(path), date_time=FIXED_DATE)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: no Unix permission bits
            info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)
    return 0


if __name__ == "__main__":
    sys.exit(main())
