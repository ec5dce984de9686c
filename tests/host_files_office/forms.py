"""Writers of [MS-OFORMS] structures for the reader's fixtures: property blocks (mask, data
block aligned per property from the data block's start, extra block aligned to 4), forms
("f"), controls' data ("o"), MultiPage page order ("x") and .frx wrapping."""
import struct

U8, U16, U32, TEXT, PAIR, PICTURE, FLAG, GUID = "u8", "u16", "u32", "text", "pair", "picture", "flag", "guid"
SIZES = {U8: 1, U16: 2, U32: 4, TEXT: 4, PICTURE: 2}

FORM = {1: U32, 2: U32, 3: U32, 6: U32, 7: U8, 8: U8, 9: U8, 10: PAIR, 11: PAIR, 12: PAIR, 13: U32, 15: PICTURE,
        16: U8, 17: U8, 18: U32, 19: TEXT, 20: PICTURE, 21: PICTURE, 22: U32, 23: U8, 24: FLAG, 25: U8, 26: U32, 27: U32}
SITE = {0: TEXT, 1: TEXT, 2: U32, 3: U32, 4: U32, 5: U32, 6: U16, 7: U16, 8: PAIR, 9: U16, 11: TEXT}
CLASS_INFO = {0: GUID, 1: GUID, 3: GUID, 4: U32, 5: U32}
COMMAND_BUTTON = {0: U32, 1: U32, 2: U32, 3: TEXT, 4: U32, 5: PAIR, 6: U8, 7: PICTURE, 8: U16, 9: FLAG}
LABEL = {0: U32, 1: U32, 2: U32, 3: TEXT, 4: U32, 5: PAIR, 6: U8, 7: U32, 8: U16, 9: U16}
IMAGE = {2: FLAG, 3: U32, 4: U32, 5: U8, 6: U8, 7: U8, 8: U8, 9: PAIR, 11: U8, 13: U32}
MORPH = {0: U32, 1: U32, 2: U32, 3: U32, 4: U8, 5: U8, 6: U8, 7: U8, 8: PAIR, 9: U16, 10: U32, 14: U16, 16: U8,
         21: U8, 22: TEXT, 23: TEXT, 26: U32, 29: U16, 31: FLAG, 32: TEXT}
SPIN = {0: U32, 1: U32, 2: U32, 3: PAIR, 5: U32, 6: U32, 7: U32, 14: U8}
SCROLL = {0: U32, 1: U32, 2: U32, 3: PAIR, 4: U8, 5: U32, 6: U32, 14: U16, 15: U32}
TAB_STRIP = {0: U32, 4: PAIR, 6: U8, 9: U32, 18: U32}
PAGE_PROPERTIES = {1: U32, 2: U32}
MULTI_PAGE_PROPERTIES = {1: U32, 2: U32}

STD_FONT = bytes.fromhex("0352E30B918FCE119DE300AA004BB851")


def himetric(points):
    return round(points * 2540 / 72)


def text(value, compressed):
    """(CountOfBytesWithCompressionFlag, bytes) for a string."""
    data = value.encode("latin-1") if compressed else value.encode("utf-16-le")
    return (len(data) | (0x80000000 if compressed else 0)), data


def block(layout, values, version=(0, 2), wide=False, extra_tail=b""):
    """A property block: values maps mask bit -> value (int, (a, b) pair, (text, compressed),
    16 GUID bytes, True for a flag, 0xFFFF for a picture marker)."""
    mask, data, extra = 0, b"", b""
    for bit in sorted(values):
        kind, value = layout[bit], values[bit]
        mask |= 1 << bit
        if kind in SIZES:
            size = SIZES[kind]
            data += b"\0" * (-len(data) % size)
            if kind == TEXT:
                count, chars = text(*value)
                data += struct.pack("<I", count)
                extra += b"\0" * (-len(extra) % 4) + chars
            else:
                data += value.to_bytes(size, "little")
        elif kind == PAIR:
            extra += b"\0" * (-len(extra) % 4) + struct.pack("<ii", *value)
        elif kind == GUID:
            extra += b"\0" * (-len(extra) % 4) + value
    data += b"\0" * (-len(data) % 4)
    extra += b"\0" * (-len(extra) % 4)
    body = struct.pack("<Q" if wide else "<I", mask) + data + extra + extra_tail
    return bytes(version) + struct.pack("<H", len(body)) + body


def std_font(face):
    name = face.encode("latin-1")
    return STD_FONT + struct.pack("<BHBHIB", 1, 0, 0, 400, 82500, len(name)) + name


class Site:
    def __init__(self, name, class_index, left, top, site_id, data=b"", container=False, compressed=True):
        self.name, self.class_index, self.left, self.top = name, class_index, left, top
        self.id, self.data, self.container, self.compressed = site_id, data, container, compressed

    def bytes(self):
        values = {0: (self.name, self.compressed), 2: self.id, 6: self.id, 7: self.class_index,
                  8: (himetric(self.left), himetric(self.top))}  # Left first, as files hold it
        if self.container:
            values[4] = 0x33 & ~0x10  # not streamed: a storage of its own
        else:
            values[5] = len(self.data)
        return block(SITE, values, version=(0, 0))


def form_stream(width, height, sites, caption=None, class_table=(), font="Tahoma"):
    """The "f" stream: the form's properties, a StdFont, the class table, the sites."""
    values = {3: len(sites) + 1, 10: (himetric(width), himetric(height)), 11: (himetric(width), himetric(height))}
    if caption is not None:
        values[19] = (caption, False)
    if font:
        values[20] = 0xFFFF
    out = block(FORM, values, version=(0, 4))
    if font:
        out += std_font(font)
    out += struct.pack("<H", len(class_table))
    for clsid in class_table:
        out += block(CLASS_INFO, {0: clsid, 4: 0}, version=(0, 0))
    types = b""
    remaining = len(sites)
    while remaining:  # run-length encoded: a run of n same-type sites, or one site
        run = min(remaining, 127)
        types += bytes([0, 0x80 | run, 1]) if run > 1 else bytes([0, 1])
        remaining -= run
    types += b"\0" * (-len(types) % 4)
    site_bytes = b"".join(site.bytes() for site in sites)
    return out + struct.pack("<II", len(sites), len(types) + len(site_bytes)) + types + site_bytes


def object_stream(sites):
    return b"".join(site.data for site in sites if not site.container)


def pages_stream(page_ids):
    """The MultiPage's "x" stream: a PageProperties block per page, then the page count, the
    MultiPage's ID and the pages' IDs in tab order."""
    out = b"".join(block(PAGE_PROPERTIES, {1: 0, 2: 0}, version=(0, 0)) for _ in page_ids)
    ids = b"".join(struct.pack("<I", i) for i in page_ids)
    return out + block(MULTI_PAGE_PROPERTIES, {1: len(page_ids), 2: 0}, version=(0, 0), extra_tail=ids)


def frx(compound):
    """An exported form's .frx: the 24-byte header, then the compound file."""
    return b"LB" + struct.pack("<HI", 8, len(compound) + 16) + b"\0" * 16 + compound
