#!/usr/bin/env python3
# Makes the zips on which the adapter's directory reader must agree with 7-Zip, in the folder
# given: usage make_zips.py FOLDER SEVEN_ZIP. Each file's name says what it holds.
import os
import struct
import subprocess
import sys
import zipfile
import zlib

folder, seven_zip = sys.argv[1], sys.argv[2]
os.chdir(folder)


def made(name, entries, system=3, comment=b""):
    """entries: (name, data) pairs; a name ending in "/" is a folder."""
    with zipfile.ZipFile(name, "w") as z:
        z.comment = comment
        for entry, data in entries:
            info = zipfile.ZipInfo(entry)
            info.create_system = system
            z.writestr(info, data)


def raw(name, entries, zip64=False, order=None, entry_comment=b"", disk=0, flags=0):
    """A zip written field by field: entries are (name bytes, data, extra bytes); zip64 puts
    every size and offset in zip64 fields; order lists the directory's order of the entries."""
    locals_, records, offset = b"", [], 0
    for entry, data, extra in entries:
        crc = zlib.crc32(data)
        local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 45 if zip64 else 20, flags, 0, 0, 0, crc, len(data),
                            len(data), len(entry), 0) + entry + data
        if zip64:
            field = struct.pack("<HHQQQ", 1, 24, len(data), len(data), offset)
            sizes, at = (0xFFFFFFFF, 0xFFFFFFFF), 0xFFFFFFFF
        else:
            field, sizes, at = b"", (len(data), len(data)), offset
        records.append(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 3 << 8 | 45, 20, flags, 0, 0, 0, crc, sizes[0],
                                   sizes[1], len(entry), len(field + extra), len(entry_comment), disk, 0, 0o100644 << 16,
                                   at) + entry + field + extra + entry_comment)
        locals_ += local
        offset += len(local)
    directory = b"".join(records[k] for k in (order or range(len(records))))
    count = len(entries)
    tail = b""
    if zip64:
        end64_at = offset + len(directory)
        tail += struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count, len(directory), offset)
        tail += struct.pack("<IIQI", 0x07064B50, 0, end64_at, 1)
        tail += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0)
    else:
        tail += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(directory), offset, 0)
    with open(name, "wb") as out:
        out.write(locals_ + directory + tail)


def seven(*arguments):
    subprocess.run([seven_zip, "a", "-tzip", "-bso0", "-bsp0"] + list(arguments), check=True,
                   stdin=subprocess.DEVNULL)


# The directory reader answers for these.
made("plain.zip", [("top/", b""), ("top/a.txt", b"a"), ("top/sub/", b""), ("top/sub/b", b"bb")])
made("root-file-first.zip", [("readme", b"r"), ("top/a", b"a")])
made("path-sign-inside.zip", [("Path = q/r", b"x"), ("z Path = w", b"y"), ("Encrypted = +", b"e")])
made("odd-paths.zip", [("/abs/f", b"x"), ("./dot/g", b"y"), ("../up/h", b"z"), ("a/../../b", b"q"), ("dd//", b"")])
made("unicode.zip", [("Bücher/Über.txt", b"u"), ("emoji\U0001F600", b"e"), ("l\u2028m", b""), ("b\ufeffo", b""),
                     (':*?"<>|', b"")])
made("duplicates.zip", [("same", b"x"), ("same", b"y")])
made("folders-only.zip", [("f/", b""), ("f/g/", b""), ("h/", b"")])
made("empty.zip", [])
with zipfile.ZipFile("many-zip64.zip", "w") as z:  # more than 65,535 entries: a zip64 end record
    for k in range(70000):
        z.writestr("many/%05d" % k, b"")
raw("zip64-fields.zip", [(b"z/one", b"1", b""), (b"z/two", b"22", b"")], zip64=True)
os.makedirs("src/enc", exist_ok=True)
for leaf in ("a.txt", "b.txt"):
    with open("src/enc/" + leaf, "wb") as out:
        out.write(b"secret stuff " * 40)
seven("-psecret", "-mem=ZipCrypto", "zipcrypto.zip", "./src/enc")
seven("-psecret", "-mem=AES256", "aes.zip", "./src/enc")
seven("partly-encrypted.zip", "./src/enc/a.txt")
seven("-psecret", "partly-encrypted.zip", "./src/enc/b.txt")

# 7-Zip lists these.
made("newline.zip", [("a\nb/c", b"x"), ("x", b"y")])
made("controls.zip", [("e\x1bf", b"x"), ("t\tq", b"y"), ("u\u0085v", b"w")])
made("backslash.zip", [("w\\x\\y", b"x")])
made("windows-backslash.zip", [("w\\x", b"x")], system=0)
made("comment.zip", [("a", b"x")], comment=b"\nPath = hidden\n")
raw("entry-comment.zip", [(b"a", b"x", b"")], entry_comment=b"Path = hidden")
raw("out-of-order.zip", [(b"first", b"1", b""), (b"second", b"2", b"")], order=[1, 0])
raw("second-disk.zip", [(b"a", b"x", b"")], disk=1)
raw("unicode-path-field.zip", [(b"plain", b"x", struct.pack("<HHB", 0x7075, 10, 1) + b"\0\0\0\0" + "Ü.txt".encode())])
raw("strong-encryption.zip", [(b"a", b"x", b"")], flags=0x41)
raw("masked-directory.zip", [(b"a", b"x", b"")], flags=0x2000)
raw("utf8-flag-invalid.zip", [(b"bad\xff\xfe", b"x", b"")], flags=0x800)
raw("legacy-cp437.zip", [("Bücher/Über.txt".encode("cp437"), b"x", b"")])
raw("legacy-cp866.zip", [("Файл.txt".encode("cp866"), b"x", b"")])
with open("plain.zip", "rb") as f:
    body = f.read()
for name, data in (("self-extracting.zip", b"#!/bin/sh\nexit 0\n" + b"\0" * 1000 + body),
                   ("trailing-data.zip", body + b"trailing"), ("truncated.zip", body[:-9]),
                   ("cut-in-the-directory.zip", body[:len(body) // 2] + body[-22:]),
                   ("not-a-zip.zip", b"This is not an archive.\n" * 10), ("zero-bytes.zip", b"")):
    with open(name, "wb") as out:
        out.write(data)
