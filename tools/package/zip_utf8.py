#!/usr/bin/env python3
"""Zips a folder with every entry's name flagged as UTF-8, and reads it back.

    tools/package/zip_utf8.py make ZIP FOLDER      zip FOLDER (its own name first in every path)
    tools/package/zip_utf8.py names ZIP            print each entry's name, and "utf8" or "no-flag"

The names are Japanese ("Ravo鋼矢板/Ravo鋼矢板.exe"). Without general-purpose
bit 11 an unzipper takes the name's bytes in its own code page and the batch
file no longer finds the exe it calls by name. With the bit, Explorer on
Windows 10 and 11, 7-Zip and every unzipper that follows the zip format read
the names as they are, on any system; names in code page 932 would serve only
unzippers that assume a Japanese system. The bit is set on ASCII names too, as
the format allows: one rule for every entry.
"""
import os
import sys
import zipfile

UTF8_FLAG = 0x800


def make(zip_path, folder):
    base = os.path.dirname(os.path.abspath(folder))
    paths = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        paths.append(root)
        paths += [os.path.join(root, f) for f in sorted(files)]
    with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as z:
        for path in paths:
            name = os.path.relpath(path, base).replace(os.sep, "/")
            info = zipfile.ZipInfo.from_file(path, name)
            info.flag_bits |= UTF8_FLAG
            if info.is_dir():
                z.writestr(info, b"")
            else:
                info.compress_type = zipfile.ZIP_DEFLATED
                with open(path, "rb") as f:
                    z.writestr(info, f.read())


def names(zip_path):
    with zipfile.ZipFile(zip_path) as z:
        for info in z.infolist():
            print("%s %s" % ("utf8" if info.flag_bits & UTF8_FLAG else "no-flag", info.filename))


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "names":
        names(sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
