#!/usr/bin/env python3
"""Writes the fixtures of the Office readers' tests into fixtures/ (beside this script):
an exported UserForm (.frm + .frx, with 512- and 4096-byte sectors), the same form in a
workbook (.xlsm, .xls) and a document (.docm), and malformed compound files, forms and zip
archives. Standard library only; run it again after changing it and commit the output.

    tests/host_files_office/make_fixtures.py"""
import io
import pathlib
import struct
import sys
import zipfile

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import cfb  # noqa: E402
import forms  # noqa: E402
from forms import Site  # noqa: E402

OUT = pathlib.Path(__file__).parent / "fixtures"
CALENDAR = bytes.fromhex("2BC9278E6412 1C10 8A2F040224009C02".replace(" ", ""))


def button(caption, width, height):
    return forms.block(forms.COMMAND_BUTTON, {3: (caption, True), 5: (forms.himetric(width), forms.himetric(height))})


def label(caption, width, height, compressed=True):
    return forms.block(forms.LABEL, {3: (caption, compressed), 5: (forms.himetric(width), forms.himetric(height))})


def morph(style, width, height, caption=None):
    values = {0: 0x2C80481B, 6: style, 8: (forms.himetric(width), forms.himetric(height)), 31: True}
    if caption:
        values[23] = (caption, True)
    return forms.block(forms.MORPH, values, wide=True)


def sized(layout, bit, width, height, **more):
    return forms.block(layout, {bit: (forms.himetric(width), forms.himetric(height)), **more})


def storage(width, height, sites, caption=None, class_table=(), children=None, extra=None):
    tree = {"f": forms.form_stream(width, height, sites, caption, class_table), "o": forms.object_stream(sites)}
    tree.update(children or {})
    tree.update(extra or {})
    return tree


def panel_form():
    """The form of every fixture: each MSForms class, a Frame, a MultiPage whose second page
    comes first in its sites, a Frame inside a Page, names in Latin-1 and UTF-16, another
    ActiveX control from the class table, and a caption long enough to put "o" past the
    mini stream's 4096 bytes."""
    inner = storage(110, 70, [Site("lstItems", 24, 4.5, 6, 10, morph(2, 90.25, 48))])
    page1 = storage(196, 120, [Site("fraInner", 14, 12, 12, 9, container=True)], children={"i09": inner})
    page2 = storage(196, 120, [Site("lblGröße", 21, 6, 6, 11, label("Größe", 50, 12), compressed=True),
                               Site("txt名前", 23, 60, 6, 12, morph(0, 80, 18), compressed=False)])
    tabs = forms.block(forms.TAB_STRIP, {4: (forms.himetric(200), forms.himetric(150)), 9: 0})
    multipage = storage(200, 150, [Site("", 18, 0, 0, 6, tabs), Site("Page2", 7, 0, 0, 8, container=True),
                                   Site("Page1", 7, 0, 0, 7, container=True)],
                        children={"i07": page1, "i08": page2}, extra={"x": forms.pages_stream([7, 8])})
    options = storage(150, 80, [Site("optA", 27, 6, 6, 13, morph(5, 60, 18, "A")),
                                Site("chkB", 26, 6, 30, 14, morph(4, 60, 18, "B"))])
    sites = [
        Site("cmdOK", 17, 6, 6.75, 1, button("OK", 72, 24)),
        Site("lblName", 21, 6, 36, 2, label("Name " * 420, 60, 12.5, compressed=False)),
        Site("txtName", 23, 70, 34, 3, morph(0, 120, 18)),
        Site("fraOptions", 14, 6, 60, 4, container=True),
        Site("mpgMain", 57, 170, 60, 5, container=True),
        Site("imgLogo", 12, 6, 150, 15, sized(forms.IMAGE, 9, 32, 32)),
        Site("spnCount", 16, 44, 150, 16, sized(forms.SPIN, 3, 12.75, 24)),
        Site("scrBar", 47, 60, 150, 17, sized(forms.SCROLL, 3, 100, 12)),
        Site("tglBold", 28, 6, 190, 18, morph(6, 40, 20, "B")),
        Site("cboKind", 25, 50, 190, 19, morph(3, 80, 18)),
        Site("tabView", 18, 6, 220, 20, forms.block(forms.TAB_STRIP, {4: (forms.himetric(150), forms.himetric(40))})),
        Site("ctlOther", 0x8000, 200, 220, 21, b"\x01\x02\x03\x04\x05\x06"),
    ]
    return storage(380, 260, sites, caption="Control Panel", class_table=[CALENDAR],
                   children={"i04": options, "i05": multipage})


def frm(name):
    return ("VERSION 5.00\r\nBegin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} %s \r\n"
            "   Caption         =   \"Control Panel\"\r\n   ClientHeight    =   5200\r\n   ClientLeft      =   45\r\n"
            "   ClientTop       =   345\r\n   ClientWidth     =   7600\r\n"
            "   OleObjectBlob   =   \"%s.frx\":0000\r\n   StartUpPosition =   1  'CenterOwner\r\nEnd\r\n"
            "Attribute VB_Name = \"%s\"\r\nAttribute VB_GlobalNameSpace = False\r\n"
            "Private Sub UserForm_Initialize()\r\nEnd Sub\r\n" % (name, name, name)).encode("ascii")


def vba_project(designers):
    text = 'ID="{00000000-0000-0000-0000-000000000000}"\r\nDocument=ThisWorkbook/&H00000000\r\n'
    text += "".join("Package={AC9F2F90-E877-11CE-9F68-00AA00574A4F}\r\nBaseClass=%s\r\n" % name for name in designers)
    text += 'Module=Module1\r\nName="VBAProject"\r\n\r\n[Host Extender Info]\r\n&H00000001={3832D640}\r\n'
    tree = {"PROJECT": text.encode("ascii"), "PROJECTwm": b"Module1\0M\0o\0\0\0\0\0",
            "VBA": {"dir": b"\x01" * 40, "_VBA_PROJECT": b"\xCC\x61\xFF\xFF\x00"}}
    tree.update(designers)
    return tree


def zipped(entries, method=zipfile.ZIP_DEFLATED):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", method) as archive:
        for name, data in entries:
            archive.writestr(name, data)
    return buffer.getvalue()


def patch(data, offset, value):
    return data[:offset] + struct.pack("<I", value) + data[offset + 4:]


def malformed_compound_files():
    base = cfb.write({"big": bytes(range(256)) * 20, "small": b"tiny"})
    where = cfb.layout(base)
    big_entry = where["directory"] + 128 * 1  # "big": shorter names sort first, so entry 2 is "small"
    assert base[big_entry:big_entry + 6] == "big".encode("utf-16-le")
    return {
        "cfb-valid.bin": base,
        "cfb-fat-cycle.bin": patch(base, where["fat"] + 4 * 1, 0),  # sector 1 leads back to sector 0
        "cfb-directory-cycle.bin": patch(base, big_entry + 68, 1),  # "big" is its own left sibling
        "cfb-sector-outside.bin": patch(base, big_entry + 116, 0x00FFFFF0),
        "cfb-stream-truncated.bin": patch(base, big_entry + 120, 5120 + 600),
        "cfb-file-truncated.bin": base[:where["directory"] - 100],
    }


def malformed_zips(project):
    good = zipped([("xl/vbaProject.bin", project)])
    central = good.rfind(b"PK\x01\x02")
    end = good.rfind(b"PK\x05\x06")
    encrypted = good[:central + 8] + struct.pack("<H", 1) + good[central + 10:]
    bad_crc = patch(good, central + 16, 0x12345678)
    bomb = patch(good, central + 24, 1000)  # states 1000 bytes, inflates to far more
    zip64 = good[:end + 10] + struct.pack("<H", 0xFFFF) + good[end + 12:]
    return {"zip-encrypted.xlsm": encrypted, "zip-bad-crc.xlsm": bad_crc, "zip-bomb.xlsm": bomb, "zip64.xlsm": zip64}


def main():
    OUT.mkdir(exist_ok=True)
    form = panel_form()
    files = {
        "Panel.frm": frm("Panel"),
        "Panel.frx": forms.frx(cfb.write(form)),
        "Panel4096.frm": frm("Panel4096"),
        "Panel4096.frx": forms.frx(cfb.write(form, version=4)),
        "PanelDifat.frm": frm("PanelDifat"),
        "PanelDifat.frx": forms.frx(cfb.write(form, min_fat_sectors=112)),
    }
    short = panel_form()
    short["o"] = short["o"][:100]
    files["Short.frm"], files["Short.frx"] = frm("Short"), forms.frx(cfb.write(short))
    empty = storage(200, 100, [], caption="Nothing")
    project = cfb.write(vba_project({"Panel": form, "Empty": empty}))
    files["Book.xlsm"] = zipped([("[Content_Types].xml", b"<Types/>"), ("xl/workbook.xml", b"<workbook/>"),
                                 ("xl/vbaProject.bin", project)])
    files["Report.docm"] = zipped([("word/document.xml", b"<document/>"), ("word/vbaProject.bin", project)],
                                  zipfile.ZIP_STORED)
    files["Book.xls"] = cfb.write({"Workbook": b"\x09\x08" * 100, "_VBA_PROJECT_CUR": vba_project({"Panel": form})})
    files["Plain.xlsx"] = zipped([("xl/workbook.xml", b"<workbook/>")])
    files.update(malformed_compound_files())
    files.update(malformed_zips(project))
    for name, data in files.items():
        (OUT / name).write_bytes(data)


if __name__ == "__main__":
    main()
