#!/usr/bin/env python3
"""Writes a VB6 project of three forms for the add-in window's benchmark:

  frmMain    499 menu items and 3 controls, as a main window with a long menu is;
  frmNested  500 controls that can be placed: 25 frames of 19 text boxes each;
  frmSmall   5 command buttons.

usage: make_long_forms.py DIR   (writes DIR/Long.vbp and the three .frm files)
"""
import os
import sys


def control(kind, name, depth, left, top, width, height, index=None, children=()):
    pad = "   " * depth
    lines = [f"{pad}Begin VB.{kind} {name} "]
    if index is not None:
        lines.append(f"{pad}   Index           =   {index}")
    if kind == "Menu":
        lines.append(f'{pad}   Caption         =   "Item {index if index is not None else name}"')
    else:
        lines += [f"{pad}   Height          =   {height}", f"{pad}   Left            =   {left}",
                  f"{pad}   Top             =   {top}", f"{pad}   Width           =   {width}"]
    for child in children:
        lines += child
    lines.append(f"{pad}End")
    return lines


def form(name, body):
    lines = ["VERSION 5.00", f"Begin VB.Form {name} ", f'   Caption         =   "{name}"',
             "   ClientHeight    =   6000", "   ClientWidth     =   9000", "   ScaleHeight     =   6000",
             "   ScaleWidth      =   9000"]
    for item in body:
        lines += item
    lines += ["End", f'Attribute VB_Name = "{name}"']
    return "\r\n".join(lines) + "\r\n"


def main_form():
    body = [control("CommandButton", "cmdOK", 1, 120, 120, 1200, 375),
            control("TextBox", "txtFind", 1, 120, 600, 3000, 315),
            control("ListBox", "lstResults", 1, 120, 1000, 3000, 2000)]
    items = [control("Menu", "mnuItem", 2, 0, 0, 0, 0, index=i) for i in range(498)]
    body.append(control("Menu", "mnuFile", 1, 0, 0, 0, 0, children=items))
    return form("frmMain", body)


def nested_form():
    frames = []
    for f in range(25):
        boxes = [control("TextBox", f"txtF{f}", 2, 120, 240 + 300 * b, 1500, 285, index=b) for b in range(19)]
        frames.append(control("Frame", f"fraGroup{f}", 1, 120 + 180 * f, 120, 1800, 6000, children=boxes))
    return form("frmNested", frames)


def small_form():
    return form("frmSmall", [control("CommandButton", f"Command{i}", 1, 120, 120 + 480 * i, 1200, 375)
                             for i in range(1, 6)])


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, text in (("frmMain", main_form()), ("frmNested", nested_form()), ("frmSmall", small_form())):
        with open(os.path.join(folder, name + ".frm"), "w", newline="") as out:
            out.write(text)
    with open(os.path.join(folder, "Long.vbp"), "w", newline="") as out:
        out.write('Type=Exe\r\nForm=frmMain.frm\r\nForm=frmNested.frm\r\nForm=frmSmall.frm\r\nName="Long"\r\n')


if __name__ == "__main__":
    main()
