#!/usr/bin/env python3
"""Can this machine run 32-bit programs? Asked once by every script that starts Windows
programs under Wine, because some machines (virtual machines whose host runs 64-bit user
code only) have a kernel that refuses every 32-bit executable.

The probe starts Wine's 32-bit loader. A kernel that refuses 32-bit code makes execve fail
with ENOEXEC ("Exec format error"); that, and only that, means "cannot run 32-bit programs".
A loader that is missing, is no 32-bit program, fails otherwise or says nothing is a fault
of the set-up and is reported as one.

As a command it prints one line and exits 0:
    yes
    no: this machine cannot run 32-bit programs (...)
or prints the fault on standard error and exits 1.
TOLVANE_ASSUME_NO_32BIT=1 makes it answer "no" on any machine, to try that path.
"""
import errno
import os
import subprocess
import sys

LOADER = "/usr/lib/wine/wine"


class ProbeError(Exception):
    pass


def runs_32bit():
    """(True, "") or (False, why); raises ProbeError for any other failure."""
    if os.environ.get("TOLVANE_ASSUME_NO_32BIT") == "1":
        return False, "TOLVANE_ASSUME_NO_32BIT=1 asks to act as a machine that cannot run 32-bit programs"
    try:
        with open(LOADER, "rb") as loader:
            head = loader.read(5)
    except OSError as error:
        raise ProbeError("%s: %s (scripts/setup.sh installs wine32:i386)" % (LOADER, error.strerror))
    if head[:4] != b"\x7fELF" or head[4:5] != b"\x01":
        raise ProbeError("%s is not a 32-bit program" % LOADER)
    try:
        result = subprocess.run([LOADER, "--version"], capture_output=True, timeout=120)
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            return False, "this machine cannot run 32-bit programs: its kernel refuses them (Exec format error)"
        raise ProbeError("%s: %s" % (LOADER, error.strerror))
    except subprocess.TimeoutExpired:
        raise ProbeError("%s --version did not finish in 120 s" % LOADER)
    if result.returncode != 0 or not result.stdout.startswith(b"wine-"):
        raise ProbeError("%s --version failed (exit %d): %s" % (
            LOADER, result.returncode, (result.stderr or result.stdout).decode("utf-8", "replace").strip()[:200]))
    return True, ""


def main():
    try:
        ok, why = runs_32bit()
    except ProbeError as error:
        sys.exit("wine32: " + str(error))
    print("yes" if ok else "no: " + why)


if __name__ == "__main__":
    main()
