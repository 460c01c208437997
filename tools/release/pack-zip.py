#!/usr/bin/env python3
"""Packs a folder into a zip archive whose bytes depend only on the files'
names and contents and on the time given:

    pack-zip.py OUT.zip EPOCH FOLDER

Entries are the folder's regular files, sorted by name, with '/' between
folders and no folder entries. Every entry has the time EPOCH (seconds
since 1970, UTC; zip times start in 1980) and fixed Unix permissions
(0755 for programs, 0644 for the rest), whatever the files' own times,
owners and modes, the time zone and the umask.
"""
import os
import sys
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC, the earliest zip time


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    out, epoch, root = argv[1], int(argv[2]), argv[3]
    names = []
    for folder, dirs, files in os.walk(root):
        dirs.sort()
        for name in files:
            path = os.path.join(folder, name)
            if not os.path.isfile(path) or os.path.islink(path):
                sys.stderr.write("pack-zip: %s is not a regular file\n" % path)
                return 1
            names.append(os.path.relpath(path, root).replace(os.sep, "/"))
    names.sort()
    stamp = time.gmtime(max(epoch, ZIP_EPOCH))[:6]
    partial = out + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in names:
            entry = zipfile.ZipInfo(name, stamp)
            entry.create_system = 3  # the attributes below are Unix modes
            mode = 0o755 if name.lower().endswith(".exe") else 0o644
            entry.external_attr = (0o100000 | mode) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(root, name), "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)
    os.replace(partial, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
