#!/usr/bin/env python3
"""Makes the Windows download: a zip of the given files, in the given order,
at its top level, so that Windows' "Extract All" gives one folder, named
after the zip, with the files in it (a folder inside the zip would end up
in a second folder of the same name).

    make_zip.py OUT.zip --date-file FILE [--text NAME]... FILE[=NAME]...

A file goes in under its own name, or under NAME when one is given. The zip
depends on the files' bytes and the sources' date alone, so that the same
sources give the same zip wherever and whenever they are built: every entry
has the same mode, the date that --date-file holds (seconds since 1970, as
SOURCE_DATE_EPOCH), written in UTC since a zip keeps no time zone, and no
extra fields (which would carry the files' own times and owners). Entries
named with --text are UTF-8 text for Notepad: they get Windows line ends
(CR LF), and a byte-order mark when they are not plain ASCII, without which
older Notepads take them for the local code page.
"""

import argparse
import os
import time
import zipfile


def zip_time(epoch):
    """A zip holds no time before 1980 (and seconds only in twos, which
    zipfile rounds down)."""
    return time.gmtime(max(epoch, 315532800))[:6]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("zip")
    parser.add_argument("--date-file", required=True)
    parser.add_argument("--text", action="append", default=[])
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    with open(args.date_file) as f:
        date = zip_time(int(f.read()))

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
            entry = zipfile.ZipInfo(name, date)
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
