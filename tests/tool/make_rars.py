#!/usr/bin/env python3
# Makes the RARs on which the adapter's header reader must agree with lsar, each alone in a
# folder of its own (lsar takes similarly named RARs beside one for its volumes), as
# FOLDER/<case>/a.rar: usage make_rars.py FOLDER. Each case's name says what it holds.
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "formats"))
import make_rar  # noqa: E402
import make_volumes  # noqa: E402

V = make_rar._vint
RAR5 = b"Rar!\x1a\x07\x01\x00"
RAR4 = b"Rar!\x1a\x07\x00"
ITEMS = [("top/", b""), ("top/a.txt", b"alpha\n"), ("top/sub/", b""), ("top/sub/b b.txt", b"beta\n")]

folder = sys.argv[1]


def write(case, data):
    os.makedirs(os.path.join(folder, case), exist_ok=True)
    with open(os.path.join(folder, case, "a.rar"), "wb") as f:
        f.write(data)


# --- RAR 5, field by field ------------------------------------------------------------------------

def main5(flags=0):
    return make_rar._rar5_header(1, 0, V(flags))


def end5(flags=0):
    return make_rar._rar5_header(5, 0, V(flags))


def file5(name, data=b"", folder=False, host=1, attributes=None, records=b"", file_flags=0, header_flags=0, kind=2):
    if attributes is None:
        attributes = (0x10 if folder else 0x20) if host == 0 else (0o40755 if folder else 0o100644)
    fields = V(0x02 | 0x04 | (0x01 if folder else 0) | file_flags) + V(len(data)) + V(attributes)
    fields += struct.pack("<II", 1715949000, zlib.crc32(data)) + V(0) + V(host) + V(len(name)) + name
    return make_rar._rar5_header(kind, header_flags, fields, records, len(data)) + data


def record(kind, body):
    inner = V(kind) + body
    return V(len(inner)) + inner


def rar5(*blocks, main=None, end=None):
    return RAR5 + (main if main is not None else main5()) + b"".join(blocks) + (end if end is not None else end5())


def rar4(entries):
    return make_rar.rar4(entries)


# --- RAR 4, block by block ------------------------------------------------------------------------

def file4(name, data=b"", flags=0, host=3, mode=0o100644, high=False):
    body = struct.pack("<IIBIIBBHI", len(data), len(data), host, zlib.crc32(data), make_rar.DOS_TIME, 29, 0x30,
                       len(name), mode)
    if high:
        body += struct.pack("<II", 0, 0)
    return make_rar._rar4_block(0x74, 0x8000 | flags | (0x100 if high else 0), body + name) + data


def sub4(name, data=b"xy"):
    body = struct.pack("<IIBIIBBHI", len(data), len(data), 3, zlib.crc32(data), make_rar.DOS_TIME, 29, 0x30,
                       len(name), 0) + name
    return make_rar._rar4_block(0x7A, 0x8000, body) + data


def archive4(*blocks, main_flags=0, end_flags=0x4000):
    return RAR4 + make_rar._rar4_block(0x73, main_flags, b"\0" * 6) + b"".join(blocks) \
        + make_rar._rar4_block(0x7B, end_flags, b"")


hostile = [("../up.txt", b"up"), ("/abs/x.txt", b"abs"), ("a/../../b.txt", b"b")]
unicode = [("top/", b""), ("top/\u00e9t\u00e9.txt", b"summer\n"), ("\u65e5\u672c/x", b"y")]

# Answered by the reader: everything lsar shows, shown alike.
for version, make in (("rar4", make_rar.rar4), ("rar5", make_rar.rar5)):
    write(version + "-plain", make(ITEMS))
    write(version + "-encrypted", make(ITEMS, "secret"))
    write(version + "-hostile-names", make(hostile))
    write(version + "-empty", make([]))
write("rar5-unicode", make_rar.rar5(unicode))
write("rar5-service-headers", rar5(file5(b"a.txt", b"alpha"), *(file5(n, b"xy", kind=3) for n in (b"CMT", b"QO", b"RR", b"STM"))))
write("rar5-windows", rar5(file5(b"top", folder=True, host=0), file5(b"top/a.txt", b"alpha", host=0)))
times = record(3, V(0x02) + struct.pack("<Q", 133600000000000000))
write("rar5-time-and-hash-records", rar5(file5(b"a.txt", b"alpha", records=times + record(2, V(0) + b"\0" * 32))))
write("rar5-symlinks", rar5(file5(b"link", attributes=0o120777, records=record(5, V(1) + V(0) + V(6) + b"target")),
                            file5(b"up", records=record(5, V(1) + V(0) + V(8) + b"../a.txt"))))
write("rar5-many", make_rar.rar5([("many/d%d/f%04d.txt" % (i // 500, i), b"x" * (i % 300)) for i in range(2500)]))
write("rar4-service-blocks", archive4(file4(b"a.txt", b"alpha"), sub4(b"CMT"), sub4(b"RR")))
write("rar4-large-sizes", archive4(file4(b"top\\a.txt", b"alpha", high=True)))
write("rar4-windows", archive4(file4(b"top", flags=0xE0, host=2, mode=0x10), file4(b"top\\a.txt", b"alpha", host=2, mode=0x20)))

# Declined: lsar lists them as before.
write("rar4-unicode", make_rar.rar4(unicode))
for version in ("rar5", "rar4"):
    volumes = os.path.join(folder, version + "-volume")
    os.makedirs(volumes, exist_ok=True)
    parts = (make_volumes.rar5_volumes if version == "rar5" else make_volumes.rar4_volumes)(
        [("vol/", b""), ("vol/a.txt", b"a"), ("vol/b.txt", b"b")])
    names = ["a.part%d.rar" % (i + 1) for i in range(len(parts))] if version == "rar5" else \
        ["a.rar"] + ["a.r%02d" % i for i in range(len(parts) - 1)]
    for name, data in zip(names, parts):
        with open(os.path.join(volumes, name), "wb") as f:
            f.write(data)
plain5 = make_rar.rar5(ITEMS)
plain4 = make_rar.rar4(ITEMS)
write("rar5-encrypted-headers", RAR5 + make_rar._rar5_header(4, 0, V(0) + V(1) + bytes((15,)) + b"s" * 16 + b"c" * 12)
      + os.urandom(200))
write("rar4-encrypted-headers", RAR4 + make_rar._rar4_block(0x73, 0x0080, b"\0" * 6) + os.urandom(200))
write("rar5-truncated", plain5[:len(plain5) - 30])
write("rar4-truncated", plain4[:len(plain4) - 30])
write("rar5-cut-in-a-header", plain5[:20])
write("rar5-no-end", plain5[:len(plain5) - len(end5())])
write("rar5-wrong-checksum", plain5.replace(b"b b.txt", b"b c.txt"))
write("rar4-wrong-checksum", plain4.replace(b"b b.txt", b"b c.txt"))
write("rar5-trailing-data", plain5 + b"\0" * 64)
write("rar5-self-extracting", b"MZ" + b"\0" * 510 + plain5)
write("rar5-garbage", RAR5 + os.urandom(300))
write("rar5-hard-link", rar5(file5(b"a.txt", b"alpha"), file5(b"link", records=record(5, V(4) + V(0) + V(5) + b"a.txt"))))
write("rar5-link-with-a-line-feed", rar5(file5(b"link", attributes=0o120777, records=record(5, V(1) + V(0) + V(3) + b"a\nb"))))
write("rar5-file-version", rar5(file5(b"a.txt", b"alpha", records=record(4, V(0) + V(3)))))
write("rar5-unknown-size", rar5(file5(b"a.txt", b"alpha", file_flags=0x08)))
write("rar5-split-file", rar5(file5(b"a.txt", b"alpha", header_flags=0x10)))
write("rar5-line-feed-name", rar5(file5(b"a\nb.txt", b"alpha")))
write("rar5-backslash-name", rar5(file5(b"a\\b.txt", b"alpha")))
write("rar5-folder-with-file-attributes", rar5(file5(b"top", folder=True, attributes=0o100644)))
write("rar5-unknown-header", rar5(make_rar._rar5_header(9, 0, b"")))
write("rar4-symlink", archive4(file4(b"link", b"target", mode=0o120777)))
write("rar4-unicode-name", archive4(file4(b"a.txt\0\x00\x41", b"alpha", flags=0x200)))
write("rar4-split-file", archive4(file4(b"a.txt", b"alpha", flags=0x02)))
write("rar4-not-last-volume", archive4(file4(b"a.txt", b"alpha"), end_flags=0x4001))
