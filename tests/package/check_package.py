#!/usr/bin/env python3
"""The release zip as a user gets it.

    check_package.py ZIP FOLDER SOURCE OBJDUMP WINE_RUN

Unpacks ZIP into FOLDER (afresh) and checks what it holds: both programs
without debug sections and matching their SHA-256 sums, and the README and
LICENSE of SOURCE. Then runs veltrane-cli.exe from it under Wine (WINE_RUN,
the build folder's throwaway prefix): --help, and scans of a throwaway key
whose texts hold quotes, backslashes, control characters, high bytes and a
zero byte, read back from --json with the json module. The key is written
and removed with Wine's registry editor, a program apart from ours.
"""

import hashlib
import json
import os
import shutil
import subprocess
import sys
import zipfile

PROGRAMS = ["veltrane.exe", "veltrane-cli.exe"]
CONTENTS = sorted(PROGRAMS + ["README.md", "LICENSE", "SHA256SUMS.txt", "docs/main-window.png"])

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED: " + message, file=sys.stderr)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(wine_run, *arguments):
    done = subprocess.run([wine_run, *arguments], capture_output=True, timeout=300)
    return done.returncode, done.stdout, done.stderr


def check_contents(zip_path, folder, source, objdump):
    top = os.path.basename(zip_path)[:-len(".zip")] + "/"
    with zipfile.ZipFile(zip_path) as archive:
        names = sorted(n for n in archive.namelist() if not n.endswith("/"))
        archive.extractall(folder)
    check(names == [top + n for n in CONTENTS], "the zip holds %s" % names)
    unpacked = os.path.join(folder, top)
    for name in ["README.md", "LICENSE"]:
        with open(os.path.join(source, name), "rb") as a, open(unpacked + name, "rb") as b:
            check(a.read() == b.read(), name + " differs from the checkout's")

    sums = {}
    with open(unpacked + "SHA256SUMS.txt") as listing:
        for line in listing:
            digest, name = line.rstrip("\n").split("  ", 1)
            sums[name] = digest
    check(sorted(sums) == sorted(PROGRAMS), "SHA256SUMS.txt lists %s" % sorted(sums))
    for program in PROGRAMS:
        with open(unpacked + program, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        check(sums.get(program) == digest, program + " does not match its SHA-256 sum")
        sections = subprocess.run([objdump, "-h", unpacked + program], capture_output=True,
                                  text=True, check=True).stdout
        check(" .text " in sections, "objdump shows no .text in " + program)
        check(".debug" not in sections, program + " carries debug sections")
        print("%s: %d bytes" % (program, os.path.getsize(unpacked + program)))
    return unpacked


def seed_file(path, key, body):
    with open(path, "wb") as f:
        f.write(b"REGEDIT4\r\n\r\n" + body.replace(b"{key}", key.encode()) + b"\r\n")


def hex_data(data):
    return ",".join("%02x" % b for b in data).encode()


def check_cli(unpacked, wine_run):
    cli = unpacked + "veltrane-cli.exe"
    code, out, _ = run(wine_run, cli, "scan", "--help")
    check(code == 0, "scan --help exits with %d" % code)
    check(b"--json" in out and b"--drive-root PATH" in out,
          "scan --help names --json and --drive-root")

    key = "VeltranePackage-%d" % os.getpid()
    location = "HKCU\\SOFTWARE\\" + key
    seed, unseed = unpacked + "../seed.reg", unpacked + "../unseed.reg"
    seed_file(seed, key,
              b'[HKEY_CURRENT_USER\\Software\\{key}]\r\n'
              b'"quote\\"back\\\\slash \xe9\x80"="C:\\\\Gone\\\\x.exe"\r\n'
              b'"controls"=hex(1):' + hex_data(b"C:\\Gone\\t\tab\x01\x81\x9d.exe\0") + b"\r\n"
              b'"zero"=hex(7):' + hex_data(b"C:\\Gone\\a\0b\0\0") + b"\r\n")
    seed_file(unseed, key, b"[-HKEY_CURRENT_USER\\Software\\{key}]\r\n")
    missing = "Directory or File Path Not Exist"
    expected = [
        {"CleanDetails": missing, "ValueName": "controls",
         "ValueData": "C:\\Gone\\t\tab\u0001\u0081\u009d.exe", "RegistryLocation": location,
         "Ticked": True},
        {"CleanDetails": missing, "ValueName": "quote\"back\\slash \u00e9\u20ac",
         "ValueData": "C:\\Gone\\x.exe", "RegistryLocation": location, "Ticked": True},
        {"CleanDetails": missing, "ValueName": "zero", "ValueData": "C:\\Gone\\a\u0000b\u0000",
         "RegistryLocation": location, "Ticked": True},
    ]
    code, _, err = run(wine_run, "regedit", "/s", windows_path(seed))
    check(code == 0, "regedit could not write the key: %r" % err)
    try:
        # The prefix's system root is C:\windows: only --drive-root C:\ makes
        # the path check look at C:\Gone.
        for arguments, rows in [([], []), (["--drive-root", "C:\\"], expected)]:
            code, out, err = run(wine_run, cli, "scan", "--json", *arguments)
            check(code == 0, "scan --json %s exits with %d: %r" % (arguments, code, err[-300:]))
            try:
                document = json.loads(out.decode("utf-8"))
            except ValueError as error:
                check(False, "scan --json %s wrote no JSON (%s): %r" % (arguments, error, out[:300]))
                continue
            findings = document["Findings"]
            check(list(document) == ["Findings", "Status"], "the document holds %s" % list(document))
            status = ("Scan complete -> %d items should be remove" % len(findings)
                      if findings else "Scan complete -> No Error Found")
            check(document["Status"] == status, "the status reads %r" % document["Status"])
            ours = [f for f in findings if f["RegistryLocation"] == location]
            check(ours == rows, "scan --json %s gives %r" % (arguments, ours))
    finally:
        run(wine_run, "regedit", "/s", windows_path(unseed))


def main():
    zip_path, folder, source, objdump, wine_run = sys.argv[1:6]
    shutil.rmtree(folder, ignore_errors=True)
    unpacked = check_contents(zip_path, folder, source, objdump)
    check_cli(unpacked, wine_run)
    if failures:
        print("%d checks failed" % len(failures), file=sys.stderr)
        return 1
    print("The package holds what it should and its programs run")
    return 0


if __name__ == "__main__":
    sys.exit(main())
