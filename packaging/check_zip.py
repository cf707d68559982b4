#!/usr/bin/env python3
"""Checks the Windows download as a designer gets it.

    check_zip.py ZIP SOURCE_FOLDER

The zip holds the program, the example template, the designer's guide
(README.txt) and the tag reference (TAGS.txt), in that order and at its top
level, so that "Extract All" makes one folder and not a folder in a folder;
the texts are the ones in the sources, as Notepad wants them (CR LF line
ends, a UTF-8 byte-order mark); every entry is dated as the sources are:
SOURCE_DATE_EPOCH when it is set, otherwise the last commit's time when the
sources are a git work tree of their own, otherwise 2000-01-01 (in UTC, to
the two seconds a zip keeps).
"""

import os
import subprocess
import sys
import time
import zipfile


def git(source, *args):
    return subprocess.run(("git", "-C", source) + args, check=True,
                          capture_output=True, text=True).stdout.strip()


def source_date(source):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        if os.path.samefile(git(source, "rev-parse", "--show-toplevel"), source):
            return int(git(source, "log", "-1", "--format=%ct"))
    except (OSError, subprocess.CalledProcessError, ValueError):
        pass
    return 946684800


def main():
    zip_path, source = sys.argv[1], sys.argv[2]
    failures = []

    def expect(condition, what):
        if not condition:
            failures.append(what)

    def notepad_text(path):
        with open(os.path.join(source, path), "rb") as f:
            data = f.read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        return b"\xef\xbb\xbf" + data

    with zipfile.ZipFile(zip_path) as archive:
        entries = archive.infolist()
        names = [entry.filename for entry in entries]
        date = time.gmtime(source_date(source))
        date = date[:5] + (date[5] // 2 * 2,)
        expected_names = ["template-preview.exe", "Template.htm",
                          "README.txt", "TAGS.txt"]
        expect(names == expected_names, f"entries {names}")
        for entry in entries:
            expect(entry.date_time == date,
                   f"{entry.filename} has the time {entry.date_time}, "
                   f"not the sources' {date}")
            expect(not entry.extra, f"{entry.filename} has extra fields")
        if names == expected_names:
            program, example, guide, tags = (archive.read(n) for n in names)
            expect(program.startswith(b"MZ"), "the program is no Windows program")
            with open(os.path.join(source, "examples/Template.htm"), "rb") as f:
                expect(example == f.read(), "Template.htm is not the example")
            expect(guide == notepad_text("packaging/README.txt"),
                   "README.txt is not packaging/README.txt for Notepad")
            expect(tags == notepad_text("docs/TAGS.txt"),
                   "TAGS.txt is not docs/TAGS.txt for Notepad")
            for name, text in (("README.txt", guide), ("TAGS.txt", tags)):
                expect(text.count(b"\n") == text.count(b"\r\n"),
                       f"{name} has a line end without CR")

    for failure in failures:
        print("check_zip:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
