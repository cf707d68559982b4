#!/usr/bin/env python3
"""Makes the Windows download: a zip of the given files, in the given order,
at its top level, so that Windows' "Extract All" gives one folder, named
after the zip, with the files in it (a folder inside the zip would end up
in a second folder of the same name).

    make_zip.py OUT.zip [--text NAME]... FILE[=NAME]...

A file goes in under its own name, or under NAME when one is given. The zip
depends on the files' bytes alone, so that the same sources give the same
zip wherever and whenever they are built: every entry has the same time and
mode, and no extra fields (which would carry the files' own times and
owners). Entries named with --text are UTF-8 text for Notepad: they get
Windows line ends (CR LF), and a byte-order mark when they are not plain
ASCII, without which older Notepads take them for the local code page.
"""

import argparse
import os
import zipfile

FIXED_TIME = (2000, 1, 1, 0, 0, 0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("zip")
    parser.add_argument("--text", action="append", default=[])
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    temporary = args.zip + ".part"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as archive:
        for given in args.files:
            path, _, name = given.partition("=")
            name = name or os.path.basename(path)
            with open(path, "rb") as f:
                data = f.read()
            if name in args.text:
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
                if not data.isascii() and not data.startswith(b"\xef\xbb\xbf"):
                    data = b"\xef\xbb\xbf" + data
            entry = zipfile.ZipInfo(name, FIXED_TIME)
            # A plain Unix mode, so that it unpacks as ordinary files there
            # too; Windows looks at none of it.
            entry.create_system = 3
            mode = 0o755 if name.endswith(".exe") else 0o644
            entry.external_attr = (0o100000 | mode) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data, compresslevel=9)
    os.replace(temporary, args.zip)


if __name__ == "__main__":
    main()
