#!/usr/bin/env python3
"""Writes the crafted seeds of the launcher and pack readers' fuzz targets (fuzz_wrap,
fuzz_pack_reader, and fuzz_pack_listing, which also gets the plain launcher to start from):
launchers whose resource trees share directories or names (each read again for every entry that
points at it) and packs that claim more records and blocks than they hold. Small files: a fuzzer grows the
counts. Run from anywhere; it overwrites the seeds it names and nothing else.

  tests/fuzz/make_crafted_seeds.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
WRAP = os.path.join(HERE, "corpus", "wrap")
PACKS = os.path.join(HERE, "corpus", "pack_reader")
LISTING = os.path.join(HERE, "corpus", "pack_listing")
SUBDIR = 0x80000000

# The small launcher of the corpus: .text, then .rsrc at 0x2000 (file 0x600), then .reloc.
BASE = open(os.path.join(WRAP, "linker_layout.exe"), "rb").read()
OPT = 0x58
TABLE = OPT + 224
RSRC_RVA, RSRC_RAW = 0x2000, 0x600


def u16(b, at):
    return struct.unpack_from("<H", b, at)[0]


def u32(b, at):
    return struct.unpack_from("<I", b, at)[0]


def base_resource(entry_at):
    """The bytes of the base launcher's resource whose data entry lies at entry_at."""
    rva, size = u32(BASE, RSRC_RAW + entry_at), u32(BASE, RSRC_RAW + entry_at + 4)
    at = RSRC_RAW + rva - RSRC_RVA
    return BASE[at:at + size]


FORM = base_resource(0xA0)  # TFORM1

class Section:
    """A resource section under construction: parts placed one after another."""

    def __init__(self):
        self.b = bytearray()

    def put(self, data, align=2):
        while len(self.b) % align:
            self.b.append(0)
        at = len(self.b)
        self.b += data
        return at

    def table(self, entries, named=0):
        """A directory table of (name field, target field) pairs; returns its offset."""
        data = struct.pack("<IIHHHH", 0, 0, 0, 0, named, len(entries) - named)
        data += b"".join(struct.pack("<II", n, t) for n, t in entries)
        return self.put(data, 4)

    def name(self, text):
        return self.put(struct.pack("<H", len(text)) + text.encode("utf-16-le"))

    def data(self, payload):
        at = self.put(payload, 8)
        return self.put(struct.pack("<IIII", RSRC_RVA + at, len(payload), 0, 0), 4)


def launcher(build):
    """The base launcher with the resource section `build` writes into a Section."""
    s = Section()
    s.b += bytes(16 + 8 * 2)  # the root table (two entries at most), written last at offset 0
    root_entries = build(s)
    root = struct.pack("<IIHHHH", 0, 0, 0, 0, 0, len(root_entries))
    root += b"".join(struct.pack("<II", n, t) for n, t in root_entries)
    s.b[0:len(root)] = root
    rsrc = bytes(s.b) + bytes(-len(s.b) % 0x200)
    reloc = BASE[0xA00:0xC00]
    out = bytearray(BASE[:RSRC_RAW]) + rsrc + reloc
    reloc_rva = RSRC_RVA + (len(s.b) + 0xFFF) // 0x1000 * 0x1000
    struct.pack_into("<II", out, TABLE + 40 + 8, len(s.b), RSRC_RVA)
    struct.pack_into("<I", out, TABLE + 40 + 16, len(rsrc))
    struct.pack_into("<I", out, TABLE + 80 + 12, reloc_rva)
    struct.pack_into("<I", out, TABLE + 80 + 20, RSRC_RAW + len(rsrc))
    struct.pack_into("<I", out, OPT + 56, reloc_rva + 0x1000)
    struct.pack_into("<II", out, OPT + 96 + 16, RSRC_RVA, len(s.b))
    struct.pack_into("<I", out, OPT + 96 + 40, reloc_rva)
    return bytes(out)


def form_language(s):
    """A language table holding the form data; returns its offset."""
    return s.table([(0x409, s.data(FORM))])


def shared_directories(s):
    # RCDATA's name table has 60 named entries that all lead to one language table; each is
    # named like the form but one letter off, until the last. Both root entries are RCDATA and
    # lead to that one name table.
    language = form_language(s)
    wrong = s.name("TFORM0")
    right = s.name("TFORM1")
    entries = [(SUBDIR | wrong, SUBDIR | language)] * 59 + [(SUBDIR | right, SUBDIR | language)]
    names = s.table(entries, named=len(entries))
    return [(10, SUBDIR | names), (10, SUBDIR | names)]


def long_names(s):
    # The form is found first; another type beside it (id 11) has one name whose language
    # table holds 80 named entries sharing one name of 1,000 characters, each with a data entry
    # of its own.
    names = s.table([(SUBDIR | s.name("TFORM1"), SUBDIR | form_language(s))], named=1)
    long_name = s.name("N" * 1000)
    entries = [(SUBDIR | long_name, s.data(b"")) for _ in range(80)]
    languages = s.table(entries, named=len(entries))
    other = s.table([(SUBDIR | s.name("LONG"), SUBDIR | languages)], named=1)
    return [(10, SUBDIR | names), (11, SUBDIR | other)]


def pack(count_claimed, records):
    out = b"SFP1" + struct.pack("<I", count_claimed)
    for name, packed in records:
        out += struct.pack("<I", len(name)) + name + struct.pack("<I", len(packed)) + packed
    return out


def main():
    seeds = {
        os.path.join(WRAP, "crafted_shared_directories.exe"): launcher(shared_directories),
        os.path.join(WRAP, "crafted_long_names.exe"): launcher(long_names),
        # 1,000 records claimed, two there: one of many empty blocks, one with a long name.
        os.path.join(PACKS, "crafted_many_blocks.bin"): pack(1000, [
            (b"blocks", struct.pack("<I", 0) + struct.pack("<H", 0) * 600),
            (b"n" * 1500, struct.pack("<I", 0)),
        ]),
        # A block whose length field is below its own header.
        os.path.join(PACKS, "crafted_short_block.bin"): pack(1, [
            (b"short", struct.pack("<I", 4) + struct.pack("<HH", 1, 0)),
        ]),
    }
    for name in ("crafted_shared_directories.exe", "crafted_long_names.exe"):
        seeds[os.path.join(LISTING, name)] = seeds[os.path.join(WRAP, name)]
    seeds[os.path.join(LISTING, "launcher.exe")] = BASE
    seeds[os.path.join(LISTING, "crafted_many_blocks.bin")] = seeds[
        os.path.join(PACKS, "crafted_many_blocks.bin")]
    os.makedirs(LISTING, exist_ok=True)
    for path, data in seeds.items():
        with open(path, "wb") as f:
            f.write(data)
        print(f"{os.path.relpath(path, HERE)}: {len(data)} bytes")


if __name__ == "__main__":
    main()
