"""A small writer of OLE compound files ([MS-CFB]) for the reader's fixtures.

A storage is a dict of name -> bytes (a stream) or dict (a storage). Streams under 4096
bytes go to the mini stream. Each storage's children form a balanced tree of siblings (all
black), ordered as the format orders names (shorter first, then by upper case)."""
import struct

FREE, END, FATSECT, DIFSECT, NOSTREAM = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFC, 0xFFFFFFFF
SIGNATURE = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"


def _order(name):
    return (len(name), name.upper())


class Entry:
    def __init__(self, name, kind, data=None):
        self.name, self.kind, self.data = name, kind, data  # kind: 1 storage, 2 stream, 5 root
        self.left = self.right = self.child = NOSTREAM
        self.start, self.size = END, 0


def _flatten(tree, entries, parent):
    children = []
    for name in sorted(tree, key=_order):
        value = tree[name]
        entry = Entry(name, 1 if isinstance(value, dict) else 2, None if isinstance(value, dict) else value)
        entry.index = len(entries)
        entries.append(entry)
        children.append(entry)
        if isinstance(value, dict):
            _flatten(value, entries, entry)
    parent.child = _balance(children)


def _balance(items):
    if not items:
        return NOSTREAM
    middle = len(items) // 2
    node = items[middle]
    node.left, node.right = _balance(items[:middle]), _balance(items[middle + 1:])
    return node.index


def write(tree, version=3, min_fat_sectors=0):
    """The compound file's bytes. min_fat_sectors > 109 forces DIFAT sectors."""
    sector = 512 if version == 3 else 4096
    per_sector = sector // 4
    root = Entry("Root Entry", 5)
    root.index = 0
    entries = [root]
    _flatten(tree, entries, root)

    sectors = []  # regular sectors' bytes, index = sector number
    fat = []

    def add_chain(data, marker=None):
        count = max(1, -(-len(data) // sector))
        first = len(sectors)
        for i in range(count):
            sectors.append(data[i * sector:(i + 1) * sector].ljust(sector, b"\0"))
            fat.append(marker if marker is not None else (first + i + 1 if i + 1 < count else END))
        return first

    mini, mini_fat = b"", []
    for entry in entries[1:]:
        if entry.kind != 2:
            continue
        entry.size = len(entry.data)
        if entry.size == 0:
            continue
        if entry.size < 4096:
            count = -(-entry.size // 64)
            entry.start = len(mini) // 64
            for i in range(count):
                mini_fat.append(entry.start + i + 1 if i + 1 < count else END)
            mini += entry.data.ljust(count * 64, b"\0")
        else:
            entry.start = add_chain(entry.data)
    if mini:
        root.start, root.size = add_chain(mini), len(mini)
    mini_fat_start = add_chain(b"".join(struct.pack("<I", v) for v in mini_fat)) if mini_fat else END
    mini_fat_count = -(-len(mini_fat) * 4 // sector) if mini_fat else 0

    directory = b""
    for entry in entries:
        name = entry.name.encode("utf-16-le")
        directory += struct.pack("<64sHBBIII16sIQQIQ", name, len(name) + 2, entry.kind, 1, entry.left, entry.right,
                                 entry.child, b"\0" * 16, 0, 0, 0, entry.start, entry.size)
    directory_start = add_chain(directory.ljust(-(-len(directory) // sector) * sector, b"\0"))

    # FAT and DIFAT sectors, counted until they cover themselves.
    fat_count, difat_count = max(1, min_fat_sectors), 0
    while True:
        difat_count = max(0, -(-(fat_count - 109) // (per_sector - 1)))
        total = len(sectors) + fat_count + difat_count
        if fat_count * per_sector >= total and fat_count >= min_fat_sectors:
            break
        fat_count += 1
    fat_sectors = list(range(len(sectors), len(sectors) + fat_count))
    difat_sectors = list(range(len(sectors) + fat_count, len(sectors) + fat_count + difat_count))
    fat += [FATSECT] * fat_count + [DIFSECT] * difat_count
    fat += [FREE] * (fat_count * per_sector - len(fat))
    for i in range(fat_count):
        sectors.append(b"".join(struct.pack("<I", v) for v in fat[i * per_sector:(i + 1) * per_sector]))
    rest = fat_sectors[109:]
    for i, _ in enumerate(difat_sectors):
        chunk = rest[i * (per_sector - 1):(i + 1) * (per_sector - 1)]
        chunk += [FREE] * (per_sector - 1 - len(chunk))
        following = difat_sectors[i + 1] if i + 1 < len(difat_sectors) else END
        sectors.append(b"".join(struct.pack("<I", v) for v in chunk + [following]))

    header_difat = fat_sectors[:109] + [FREE] * (109 - min(109, fat_count))
    header = SIGNATURE + b"\0" * 16 + struct.pack(
        "<HHHHH6sIIIIIIIII", 0x3E, version, 0xFFFE, 9 if version == 3 else 12, 6, b"\0" * 6,
        0 if version == 3 else -(-len(directory) // sector), fat_count, directory_start, 0, 4096,
        mini_fat_start, mini_fat_count, difat_sectors[0] if difat_sectors else END, difat_count)
    header += b"".join(struct.pack("<I", v) for v in header_difat)
    return header.ljust(sector, b"\0") + b"".join(sectors)


def layout(data):
    """Where things are in a file this module wrote: for the malformed variants."""
    version = struct.unpack_from("<H", data, 26)[0]
    sector = 512 if version == 3 else 4096
    fat_sector = struct.unpack_from("<I", data, 76)[0]
    directory = struct.unpack_from("<I", data, 48)[0]
    return {"sector": sector, "fat": (fat_sector + 1) * sector, "directory": (directory + 1) * sector}
