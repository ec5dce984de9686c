#!/usr/bin/env python3
"""Writes the fuzz target's seed inputs into OUT: the bundled example project whole, each
designer file of examples/ and of the reader's test fixtures alone (with a command that
lists its controls), the Office readers' fixtures (exported UserForms with their .frx,
documents, malformed compound files and zips), and the hand-written seeds of tests/fuzz/seeds/.

    tests/fuzz/make_seeds.py SOURCE_DIR OUT

An input is a NUL-separated command line, then "\\n@@ PATH\\n" and the bytes of each file
(see FuzzQuenlow.cpp)."""
import pathlib
import re
import sys

DESIGNERS = {".frm", ".ctl", ".pag", ".dob", ".dsr"}


def seed(args, files):
    out = b"\0".join(a.encode() if isinstance(a, str) else a for a in args)
    for path, data in files:
        out += b"\n@@ " + path.encode() + b"\n" + data
    return out


def vb_name(data):
    found = re.search(rb'Attribute VB_Name = "([^"]*)"', data)
    return found.group(1) if found else b"Form1"


def main():
    source, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    examples = source / "examples"
    project = [(p.relative_to(examples).as_posix(), p.read_bytes()) for p in sorted(examples.rglob("*")) if p.is_file()]
    (out / "example-project").write_bytes(seed(
        ["generate", "Example.vbp", "--form", "Form1", "--pick", "Command1=LM,UR", "--pick", "optColour(1)=LS,US",
         "--block", "resize"], project))
    (out / "example-forms").write_bytes(seed(["forms", "Example.vbp"], project))
    fixtures = source / "tests" / "host_files" / "fixtures"
    for folder in (examples, fixtures):
        for path in sorted(folder.rglob("*")):
            if path.suffix.lower() in DESIGNERS:
                data = path.read_bytes()
                (out / ("file-" + path.name)).write_bytes(seed(["controls", path.name, vb_name(data)], [(path.name, data)]))
    parts = [(p.name, p.read_bytes()) for p in sorted(fixtures.iterdir())]
    (out / "fixture-parts").write_bytes(seed(["forms", "Components.vbp"], parts))
    office = source / "tests" / "host_files_office" / "fixtures"
    for path in sorted(office.iterdir()):
        data = path.read_bytes()
        if path.suffix == ".frm" or path.name.startswith(".") or len(data) > 60000:
            continue
        if path.suffix == ".frx":
            form = path.with_suffix(".frm")
            files = [(form.name, form.read_bytes()), (path.name, data)]
            (out / ("office-" + path.stem)).write_bytes(seed(["controls", form.name, path.stem], files))
        else:
            (out / ("office-" + path.name)).write_bytes(seed([], [(path.name, data)]))
    for path in sorted((source / "tests" / "fuzz" / "seeds").iterdir()):
        (out / ("hand-" + path.name)).write_bytes(path.read_bytes())


if __name__ == "__main__":
    main()
