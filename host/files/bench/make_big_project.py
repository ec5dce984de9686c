#!/usr/bin/env python3
"""Writes a large VB6 project for bench_read_project: FORMS forms of about CONTROLS controls
each, with frames and picture boxes nested three deep, fonts, control arrays spread over
containers, menus with submenus, and a code section, in CR LF as VB6 writes them.

usage: make_big_project.py OUTDIR [FORMS [CONTROLS]]   (defaults 400 and 80)
The project goes to OUTDIR/Big.vbp; keep OUTDIR out of the source tree.
"""
import os
import sys


def font(indent):
    pad = " " * indent
    return (f"{pad}BeginProperty Font \n"
            f"{pad}   Name            =   \"MS Sans Serif\"\n"
            f"{pad}   Size            =   8,25\n"
            f"{pad}   Charset         =   0\n"
            f"{pad}   Weight          =   700\n"
            f"{pad}   Underline       =   0   'False\n"
            f"{pad}   Italic          =   0   'False\n"
            f"{pad}   Strikethrough   =   0   'False\n"
            f"{pad}EndProperty\n")


def leaf(kind, name, index, indent, n):
    pad = " " * indent
    text = f"{pad}Begin VB.{kind} {name} \n"
    if kind in ("Label", "CommandButton"):
        text += f"{pad}   Caption         =   \"{name} \"\"{n}\"\" 'End'\"\n"
    if n % 3 == 0:
        text += font(indent + 3)
    text += (f"{pad}   Height          =   255\n")
    if index is not None:
        text += f"{pad}   Index           =   {index}\n"
    text += (f"{pad}   Left            =   {120 + n * 7}\n"
             f"{pad}   TabIndex        =   {n}\n"
             f"{pad}   ToolTipText     =   \"Tip {n}\"\n"
             f"{pad}   Top             =   {120 + n * 11}\n"
             f"{pad}   Width           =   1.2e3\n"
             f"{pad}End\n")
    return text


def form(number, controls):
    name = f"frmBig{number:04d}"
    out = ["VERSION 5.00\n",
           f"Begin VB.Form {name} \n",
           f"   Caption         =   \"Form {number}\"\n",
           "   ClientHeight    =   7000\n   ClientWidth     =   9000\n",
           "   StartUpPosition =   3  'Windows Default\n"]
    out.append(font(3))
    made = 0
    array = 0
    group = 0
    menus = 4

    def add(count, kind, indent, name=None):
        """Up to `count` leaves while the form has room: elements of the lblItem array, or
        controls named `name`, group and number."""
        nonlocal made, array
        for i in range(count):
            if made + menus >= controls:
                return
            if name is None:
                out.append(leaf(kind, "lblItem", array, indent, made))
                array += 1
            else:
                out.append(leaf(kind, f"{name}{group}_{i}", None, indent, made))
            made += 1

    while made + menus < controls:
        group += 1
        # A frame holding a picture box holding a frame: three levels, arrays across them.
        out.append(f"   Begin VB.Frame fraGroup{group} \n      Caption         =   \"Group {group}\"\n")
        out.append(font(6))
        out.append(f"      Height          =   2000\n      Left            =   120\n      Top             =   120\n      Width           =   4000\n")
        made += 1
        out.append(f"      Begin VB.PictureBox picGroup{group} \n         Height          =   1500\n         Left            =   60\n         Top             =   60\n         Width           =   3000\n")
        made += 1
        out.append(f"         Begin VB.Frame fraInner{group} \n            Height          =   1000\n            Left            =   60\n            Top             =   60\n            Width           =   2000\n")
        made += 1
        add(3, "Label", 12)
        out.append("         End\n")
        add(3, "TextBox", 9, "txtField")
        out.append("      End\n")
        add(2, "Label", 6)
        out.append("   End\n")
        add(4, "CommandButton", 3, "cmdAction")
    out.append("   Begin VB.Menu mnuFile \n      Caption         =   \"&File\"\n"
               "      Begin VB.Menu mnuFileRecent \n         Caption         =   \"&Recent\"\n"
               "         Begin VB.Menu mnuMru \n            Caption         =   \"-\"\n            Index           =   0\n         End\n"
               "      End\n"
               "      Begin VB.Menu mnuFileExit \n         Caption         =   \"E&xit\"\n         Shortcut        =   ^{F4}\n      End\n"
               "   End\n")
    out.append("End\n")
    out.append(f"Attribute VB_Name = \"{name}\"\nAttribute VB_GlobalNameSpace = False\n"
               "Attribute VB_Creatable = False\nAttribute VB_PredeclaredId = True\nAttribute VB_Exposed = False\n"
               "Option Explicit\n\nPrivate Sub Form_Load()\n    If Me.Visible Then End\nEnd Sub\n")
    return name, "".join(out)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    forms = int(sys.argv[2]) if len(sys.argv) > 2 else 400
    controls = int(sys.argv[3]) if len(sys.argv) > 3 else 80
    os.makedirs(os.path.join(outdir, "Forms"), exist_ok=True)
    entries = []
    for number in range(1, forms + 1):
        name, text = form(number, controls)
        with open(os.path.join(outdir, "Forms", name + ".frm"), "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("cp1252"))
        entries.append(f"Form=Forms\\{name}.frm")
    vbp = "Type=Exe\n" + "\n".join(entries) + "\nStartup=\"frmBig0001\"\nName=\"Big\"\n"
    with open(os.path.join(outdir, "Big.vbp"), "wb") as f:
        f.write(vbp.replace("\n", "\r\n").encode("cp1252"))
    print(f"{outdir}/Big.vbp: {forms} forms of {controls} controls")


if __name__ == "__main__":
    main()
