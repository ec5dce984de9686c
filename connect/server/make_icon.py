#!/usr/bin/env python3
"""Writes Quenlow.ico: the add-in's 32x32, 256-colour icon (a small form with a control and a
resize grip). Run it again after changing the drawing; the .ico is kept in the repository so
that the build needs no Python."""
import struct
import sys

SIZE = 32
# Palette indices used by the drawing; the remaining entries of the 256-colour table are black.
COLOURS = {
    "transparent": (0, 0, 0),
    "frame": (64, 64, 64),
    "title": (0, 0, 128),
    "title_text": (255, 255, 255),
    "body": (192, 192, 192),
    "control": (255, 255, 255),
    "control_edge": (128, 128, 128),
    "grip": (0, 128, 0),
}
INDEX = {name: i for i, name in enumerate(COLOURS)}


def draw():
    """Returns rows top to bottom, each a list of colour names."""
    px = [["transparent"] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = colour

    fill(2, 3, 29, 28, "frame")          # window frame
    fill(3, 4, 28, 8, "title")           # title bar
    fill(25, 5, 27, 7, "title_text")     # close box
    fill(3, 9, 28, 27, "body")           # client area
    fill(6, 12, 19, 16, "control_edge")  # a control ...
    fill(7, 13, 18, 15, "control")
    fill(6, 19, 14, 23, "control_edge")  # ... and another
    fill(7, 20, 13, 22, "control")
    for offset in (2, 5, 8):             # resize grip: three strokes in the bottom-right corner
        for k in range(offset + 1):
            px[27 - k][27 - offset + k] = "grip"
    return px


def ico_bytes(px):
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in COLOURS.values())
    palette += b"\0" * (256 * 4 - len(palette))
    xor = b"".join(bytes(INDEX[c] for c in row) for row in reversed(px))  # bottom-up rows
    and_rows = []
    for row in reversed(px):
        bits = 0
        for x, c in enumerate(row):
            if c == "transparent":
                bits |= 1 << (31 - x)
        and_rows.append(struct.pack(">I", bits))
    mask = b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "Quenlow.ico"
    with open(out, "wb") as f:
        f.write(ico_bytes(draw()))
