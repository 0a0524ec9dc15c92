#!/usr/bin/env python3
# Writes multi-volume archives for the tests the way the archivers that made them name their
# parts, byte by byte as the format descriptions lay them out, one stored file per volume:
#   zip   x.z01, x.z02, …, x.zip  (a split zip: numbered disks, the directory on the last)
#   rar5  x.part1.rar, x.part2.rar, …
#   rar4  x.rar, x.r00, x.r01, …
#
# usage: make_volumes.py {zip|rar5|rar4} FOLDER STEM NAME=CONTENTS... (one file per volume; a
# NAME ending in "/" is a folder, put into the first volume)
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_rar  # noqa: E402


def split_zip(entries):
    """The disks of a split zip: the files one per disk, the directory on the last."""
    disks, directory = [], b""
    for name, contents in entries:
        encoded = name.encode()
        crc = zlib.crc32(contents)
        local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0x800, 0, 0, 0x21, crc, len(contents), len(contents),
                            len(encoded), 0) + encoded + contents
        # The first disk begins with the split archive's signature.
        prefix = b"" if disks else struct.pack("<I", 0x08074B50)
        if not disks or not name.endswith("/"):
            disks.append(prefix)
        offset = len(disks[-1])
        disks[-1] += local
        attributes = (0o40755 << 16 | 0x10) if name.endswith("/") else 0o100644 << 16
        directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x031E, 20, 0x800, 0, 0, 0x21, crc, len(contents),
                                 len(contents), len(encoded), 0, 0, len(disks) - 1, 0, attributes, offset) + encoded
    last = len(disks)
    count = len(entries)
    end = struct.pack("<IHHHHIIH", 0x06054B50, last, last, count, count, len(directory), 0, 0)
    disks.append(directory + end)
    return disks


def rar5_volumes(entries):
    volumes, folders, files = [], [e for e in entries if e[0].endswith("/")], [e for e in entries if not e[0].endswith("/")]
    for number, group in enumerate([folders + files[:1]] + [[f] for f in files[1:]]):
        last = number == len(files) - 1 if files else True
        flags = 0x0001 | (0x0002 if number else 0)
        main = make_rar._vint(flags) + (make_rar._vint(number) if number else b"")
        out = b"Rar!\x1a\x07\x01\x00" + make_rar._rar5_header(1, 0, main)
        body = make_rar.rar5(group)
        # The entries of the one-volume writer, between its main and end headers.
        start = len(b"Rar!\x1a\x07\x01\x00" + make_rar._rar5_header(1, 0, make_rar._vint(0)))
        out += body[start:len(body) - len(make_rar._rar5_header(5, 0, make_rar._vint(0)))]
        volumes.append(out + make_rar._rar5_header(5, 0, make_rar._vint(0 if last else 1)))
    return volumes


def rar4_volumes(entries):
    volumes, folders, files = [], [e for e in entries if e[0].endswith("/")], [e for e in entries if not e[0].endswith("/")]
    for number, group in enumerate([folders + files[:1]] + [[f] for f in files[1:]]):
        last = number == len(files) - 1 if files else True
        body = make_rar.rar4(group)
        start = len(b"Rar!\x1a\x07\x00" + make_rar._rar4_block(0x73, 0, b"\0" * 6))
        entries_part = body[start:len(body) - len(make_rar._rar4_block(0x7B, 0x4000, b""))]
        # A volume, the first one saying so.
        main = make_rar._rar4_block(0x73, 0x0001 | (0x0100 if number == 0 else 0), b"\0" * 6)
        end = make_rar._rar4_block(0x7B, 0x4000 | (0 if last else 0x0001), b"")
        volumes.append(b"Rar!\x1a\x07\x00" + main + entries_part + end)
    return volumes


def main(argv):
    kind, folder, stem = argv[1], argv[2], argv[3]
    entries = []
    for item in argv[4:]:
        name, _, contents = item.partition("=")
        entries.append((name, contents.encode("utf-8")))
    if kind == "zip":
        disks = split_zip(entries)
        names = ["%s.z%02d" % (stem, i + 1) for i in range(len(disks) - 1)] + [stem + ".zip"]
    elif kind == "rar5":
        disks = rar5_volumes(entries)
        names = ["%s.part%d.rar" % (stem, i + 1) for i in range(len(disks))]
    else:
        disks = rar4_volumes(entries)
        names = [stem + ".rar"] + ["%s.r%02d" % (stem, i) for i in range(len(disks) - 1)]
    for name, data in zip(names, disks):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv)
