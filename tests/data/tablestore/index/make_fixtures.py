#!/usr/bin/env python3
"""Writes the damaged index files the index tests open, byte by byte from the layout in
doc/table_format.md (not through the code under test). Run from this folder; the files are
kept in the repository, so this only needs running again when a fixture is added."""
import struct

PAGE = 4096
SLOT = 120


def slot(name=b"", key_length=0, unique=0, compression=0, columns=(), root=0, free=0):
    s = bytearray(SLOT)
    s[0] = len(name)
    s[1:1 + len(name)] = name
    struct.pack_into("<H", s, 31, key_length)
    s[35] = unique
    s[36] = compression
    s[37] = len(columns)
    for i, field in enumerate(columns):
        struct.pack_into("<H", s, 54 + 2 * i, field)
    struct.pack_into("<II", s, 86, root, free)
    return s


def header(end=PAGE, version=4, secondary=0, slots=None, no_key_primary=1, active=0):
    h = bytearray(PAGE)
    struct.pack_into("<i", h, 0, 1)
    h[8] = version
    struct.pack_into("<I", h, 9, end)
    h[13] = secondary
    slots = dict(slots or {})
    slots.setdefault(31, slot(b"Sys Deleted", 5, 1))
    for number, data in slots.items():
        h[14 + number * SLOT:14 + (number + 1) * SLOT] = data
    struct.pack_into("<I", h, 3974, active)
    h[3978] = no_key_primary
    return h


def system_key(status, record_id):
    return bytes([status]) + struct.pack(">I", record_id ^ 0x80000000)


def page(kind, entries=b"", count=0, prev=0, next_=0, used=0):
    p = bytearray(PAGE)
    p[0] = kind
    struct.pack_into("<HIIH", p, 1, count, prev, next_, used)
    p[13:13 + len(entries)] = entries
    return p


def leaf(kind, ids, prev=0, next_=0):
    entries = b"".join(system_key(0, i) + struct.pack("<I", i) for i in ids)
    return page(kind, entries, len(ids), prev, next_)


def write(name, *blocks):
    with open(name, "wb") as f:
        for block in blocks:
            f.write(block)


sys_root = lambda root, free=0: {31: slot(b"Sys Deleted", 5, 1, root=root, free=free)}

# Header checks on open.
write("bad-version.IDX", header(version=3))
write("short-header.IDX", header()[:100])
write("end-beyond-file.IDX", header(end=3 * PAGE))
write("end-not-a-page.IDX", header(end=PAGE + 100), bytes(PAGE))
write("root-beyond-end.IDX", header(end=2 * PAGE, slots=sys_root(2 * PAGE)), bytes(PAGE))
write("root-not-a-page.IDX", header(end=2 * PAGE, slots=sys_root(PAGE + 13)), bytes(PAGE))
write("too-many-secondaries.IDX", header(secondary=31))
write("system-key-length.IDX", header(slots={31: slot(b"Sys Deleted", 9, 1)}))
write("primary-without-keys.IDX", header(no_key_primary=0))
# A secondary index on Name (field 2, text of 10: 1 + 11 bytes, + 4 for the record ID).
write("secondary-key-length.IDX",
      header(secondary=1, slots={1: slot(b"ByName", 17, 0, columns=(2,))}))
write("secondary-unknown-field.IDX",
      header(secondary=1, slots={1: slot(b"ByName", 16, 0, columns=(9,))}))
write("secondary-blank-name.IDX",
      header(secondary=1, slots={1: slot(b"", 16, 0, columns=(2,))}))
write("secondary-name-twice.IDX",
      header(secondary=2, slots={1: slot(b"ByName", 16, 0, columns=(2,)),
                                 2: slot(b"BYNAME", 16, 0, columns=(2,))}))
write("slot-name-too-long.IDX",
      header(secondary=1, slots={1: bytes([31]) + bytes(SLOT - 1)}))

# Pages that are found damaged when the index is used.
write("page-unknown-kind.IDX", header(end=2 * PAGE, slots=sys_root(PAGE), active=1),
      page(7, system_key(0, 1) + struct.pack("<I", 1), 1))
write("page-empty-root.IDX", header(end=2 * PAGE, slots=sys_root(PAGE)), page(3))
write("page-count-beyond-room.IDX", header(end=2 * PAGE, slots=sys_root(PAGE)),
      page(3, b"", 1000))
write("branch-points-at-itself.IDX", header(end=2 * PAGE, slots=sys_root(PAGE), active=1),
      page(0, system_key(0, 1) + struct.pack("<II", PAGE, 1), 1))
# Two leaves under a root whose next links run in a circle.
root = page(0, system_key(0, 1) + struct.pack("<II", 2 * PAGE, 2) +
            system_key(0, 3) + struct.pack("<II", 3 * PAGE, 2), 2)
write("leaf-links-loop.IDX", header(end=4 * PAGE, slots=sys_root(PAGE), active=4), root,
      leaf(2, [1, 2], prev=3 * PAGE, next_=3 * PAGE), leaf(2, [3, 4], prev=2 * PAGE, next_=2 * PAGE))
# The same two leaves, whose keys do follow each other along the circle because the second
# leaf's keys are out of order (record IDs 3, then 0).
root2 = page(0, system_key(0, 1) + struct.pack("<II", 2 * PAGE, 2) +
             system_key(0, 3) + struct.pack("<II", 3 * PAGE, 2), 2)
write("leaf-keys-unordered-loop.IDX", header(end=4 * PAGE, slots=sys_root(PAGE), active=4), root2,
      leaf(2, [1, 2], prev=3 * PAGE, next_=3 * PAGE), leaf(2, [3, 0], prev=2 * PAGE, next_=2 * PAGE))
# A free chain that comes back to its head: 8192 -> 12288 -> 8192.
write("free-chain-loop.IDX", header(end=4 * PAGE, slots=sys_root(PAGE, 2 * PAGE), active=1),
      leaf(3, [1]), page(0, next_=3 * PAGE), page(0, next_=2 * PAGE))
# The system index with leading-byte compression and a leaf of two entries in 15 bytes: the
# second entry would run past them.
write("compressed-leaf-overrun.IDX",
      header(end=2 * PAGE, slots={31: slot(b"Sys Deleted", 5, 1, 1, root=PAGE)}, active=2),
      page(3, struct.pack("<H", 0) + system_key(0, 1) + struct.pack("<I", 1), 2, used=15))

# A sound two-level system index (the seed of the index fuzz target, and a file the checker
# must find sound): a root over two leaves holding records 1 to 4.
write("two-level.IDX", header(end=4 * PAGE, slots=sys_root(PAGE), active=4), root,
      leaf(2, [1, 2], next_=3 * PAGE), leaf(2, [3, 4], prev=2 * PAGE))
