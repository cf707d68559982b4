#!/usr/bin/env python3
"""Checks that the Windows program starts on Windows 7 SP1: every function it
imports from a system DLL must exist there.

    check_windows7_imports.py COMPILER OBJDUMP PROGRAM.exe
    check_windows7_imports.py COMPILER --self-test

A new call in our code, or a newer MinGW-w64 runtime, can import a function
that Windows 7 lacks; the program then does not start there at all ("The
procedure entry point ... could not be located"), and nothing else here
would notice. The MinGW-w64 headers declare a function only from the
Windows version that has it, so every imported name is compiled (syntax
only) against them with that version set to Windows 7: an undeclared name
is newer. Some newer functions are declared for every version; they are
listed below.

The C runtime, msvcrt.dll, comes with every Windows since XP, and its
functions are not declared by Windows version, so its names are not
checked; a runtime in another DLL (ucrtbase.dll and the api-ms-win-crt-*
DLLs, which Windows 7 SP1 has only with an update) fails like any DLL not
named below.

--self-test runs the check on a made-up import list and passes only when it
refuses exactly the newer names in it, so that the check cannot pass by
refusing nothing.
"""

import os
import re
import subprocess
import sys
import tempfile

# System DLLs of Windows 7 SP1 whose functions windows.h and the headers
# below declare. A DLL not named here fails until it is added on purpose.
CHECKED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                "shell32.dll", "ole32.dll", "oleaut32.dll", "comctl32.dll",
                "comdlg32.dll", "shlwapi.dll", "version.dll", "ws2_32.dll"}
UNCHECKED_DLLS = {"msvcrt.dll"}

# Newer than Windows 7 SP1, yet declared whatever _WIN32_WINNT says (found
# by compiling Windows 8 and 10 functions against MinGW-w64 10's headers).
DECLARED_FOR_EVERY_VERSION = {
    # Windows 8
    "GetSystemTimePreciseAsFileTime", "CopyFile2", "GetOverlappedResultEx",
    "WaitOnAddress", "WakeByAddressSingle", "WakeByAddressAll",
    "InitializeSynchronizationBarrier", "EnterSynchronizationBarrier",
    "DeleteSynchronizationBarrier", "GetDisplayAutoRotationPreferences",
    "SetCoalescableTimer", "GetCurrentInputMessageSource",
    # Windows 8, or Windows 7 only with update KB2533623
    "SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory",
    # Windows 10
    "CreateFileMappingFromApp", "MapViewOfFileFromApp", "QueryInterruptTime",
    "QueryInterruptTimePrecise", "QueryUnbiasedInterruptTimePrecise",
    "GetOsSafeBootMode",
}

HEADER = """\
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
#define NTDDI_VERSION 0x06010000
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>
"""

# A self-test import list: two newer functions, one of each kind, among
# Windows 7 ones, and a C runtime Windows 7 SP1 lacks.
FAKE_IMPORTS = {
    "KERNEL32.dll": ["CreateFileW", "CreateFile2", "GetTickCount64",
                     "GetSystemTimePreciseAsFileTime"],
    "USER32.dll": ["MessageBoxW"],
    "msvcrt.dll": ["malloc"],
    "ucrtbase.dll": ["malloc"],
}
FAKE_REFUSED = ["KERNEL32.dll: CreateFile2",
                "KERNEL32.dll: GetSystemTimePreciseAsFileTime",
                "ucrtbase.dll: no DLL of Windows 7 SP1 known to this check"]


def imports_of(objdump, program):
    """{DLL name: [function names]} from the program's import tables."""
    listing = subprocess.run([objdump, "-p", program], check=True,
                             capture_output=True, text=True).stdout
    imports, dll = {}, None
    for line in listing.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1)
            imports.setdefault(dll, [])
        elif dll and not line.strip():
            dll = None
        elif dll:
            # "\t<address>\t<hint>  <name>"; the column header has no hint.
            entry = re.match(r"\s*[0-9a-f]+\s+\d+\s+(\S+)$", line)
            if entry:
                imports[dll].append(entry.group(1))
    # A listing read wrongly must not pass for a program importing nothing.
    if not any(imports.values()):
        sys.exit(f"check_windows7_imports: no imports read from {program}")
    return imports


def undeclared(compiler, names):
    """The names the headers do not declare for Windows 7."""
    if not names:
        return set()
    source = HEADER + "const void* const imported[] = {\n"
    source += "".join(f"  (const void*)&{name},\n" for name in names) + "};\n"
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "windows7_imports.cc")
        with open(path, "w") as f:
            f.write(source)
        result = subprocess.run(
            [compiler, "-std=c++20", "-fsyntax-only", path],
            capture_output=True, text=True,
            env=dict(os.environ, LC_ALL="C"))
    missing = set(re.findall(r"'(\w+)' was not declared", result.stderr))
    if result.returncode != 0 and not missing:
        sys.exit("check_windows7_imports: the check did not compile:\n" +
                 result.stderr)
    return missing


def refused(compiler, imports):
    """What keeps the program from starting on Windows 7 SP1, one a line."""
    lines, checked = [], []
    for dll, names in imports.items():
        if dll.lower() in CHECKED_DLLS:
            checked += [(dll, name) for name in names]
        elif dll.lower() not in UNCHECKED_DLLS:
            lines.append(f"{dll}: no DLL of Windows 7 SP1 known to this check")
    missing = undeclared(compiler, sorted({name for _, name in checked}))
    lines += [f"{dll}: {name}" for dll, name in checked
              if name in missing or name in DECLARED_FOR_EVERY_VERSION]
    return sorted(lines)


def main():
    compiler = sys.argv[1]
    if sys.argv[2:] == ["--self-test"]:
        found = refused(compiler, FAKE_IMPORTS)
        if found != FAKE_REFUSED:
            print("check_windows7_imports: a made-up import list gave",
                  found, "instead of", FAKE_REFUSED, file=sys.stderr)
            return 1
        return 0
    objdump, program = sys.argv[2], sys.argv[3]
    found = refused(compiler, imports_of(objdump, program))
    for line in found:
        print("Not on Windows 7 SP1:", line, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
