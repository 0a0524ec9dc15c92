#!/usr/bin/env python3
# Writes small software packages and xar archives for the tests, byte by byte as the published
# format descriptions lay them out: a Debian package (an ar of debian-binary, control.tar.* and
# data.tar.*), an RPM (lead, signature and header, then a compressed cpio) and a xar (header,
# zlib-compressed XML table of contents, heap). No packaging tool is involved; 7-Zip and unar
# are the judges of the result.
#
# usage: make_packages.py {deb|rpm|xar} ARCHIVE [--compression gz|xz|zst|none] NAME=CONTENTS...
# (a NAME ending in "/" is a folder; for deb, names starting "DEBIAN/" go into control.tar)
import gzip
import hashlib
import io
import lzma
import struct
import subprocess
import sys
import tarfile
import time
import zlib

MTIME = 1715949000


def compress(data, kind):
    if kind == "gz":
        return gzip.compress(data, mtime=MTIME)
    if kind == "xz":
        return lzma.compress(data, format=lzma.FORMAT_XZ)
    if kind == "zst":
        return subprocess.run(["zstd", "-q", "-c"], input=data, stdout=subprocess.PIPE, check=True).stdout
    return data


# --- Debian package ----------------------------------------------------------------------------

def tar_of(entries):
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w", format=tarfile.GNU_FORMAT) as tar:
        # dpkg-deb names every member from "./", the root included.
        root = tarfile.TarInfo("./")
        root.type, root.mode, root.mtime = tarfile.DIRTYPE, 0o755, MTIME
        tar.addfile(root)
        for name, contents in entries:
            info = tarfile.TarInfo("./" + name.rstrip("/") + ("/" if name.endswith("/") else ""))
            info.mtime = MTIME
            if name.endswith("/"):
                info.type, info.mode = tarfile.DIRTYPE, 0o755
                tar.addfile(info)
            else:
                info.size, info.mode = len(contents), 0o644
                tar.addfile(info, io.BytesIO(contents))
    return out.getvalue()


def ar_member(name, data):
    header = b"%-16s%-12d%-6d%-6d%-8s%-10d`\n" % (name.encode(), MTIME, 0, 0, b"100644", len(data))
    return header + data + (b"\n" if len(data) % 2 else b"")


def deb(entries, kind):
    control = [(n[len("DEBIAN/"):], c) for n, c in entries if n.startswith("DEBIAN/") and n != "DEBIAN/"]
    data = [(n, c) for n, c in entries if not n.startswith("DEBIAN/")]
    suffix = "" if kind == "none" else "." + kind
    return (b"!<arch>\n" + ar_member("debian-binary", b"2.0\n")
            + ar_member("control.tar" + suffix, compress(tar_of(control), kind))
            + ar_member("data.tar" + suffix, compress(tar_of(data), kind)))


# --- RPM ---------------------------------------------------------------------------------------

def cpio_of(entries):
    out = b""
    def member(name, mode, data, ino):
        encoded = name.encode() + b"\0"
        header = b"070701" + b"".join(b"%08X" % v for v in (
            ino, mode, 0, 0, 1, MTIME, len(data), 0, 0, 0, 0, len(encoded), 0))
        body = header + encoded
        body += b"\0" * (-len(body) % 4)
        return body + data + b"\0" * (-len(data) % 4)
    for ino, (name, contents) in enumerate(entries, 1):
        folder = name.endswith("/")
        out += member("./" + name.rstrip("/"), (0o40755 if folder else 0o100644), b"" if folder else contents, ino)
    return out + member("TRAILER!!!", 0, b"", 0)


def rpm_header(tags):
    # tags: (tag, type, value); type 4 = INT32, 6 = STRING
    index, store = b"", b""
    for tag, kind, value in tags:
        if kind == 4:
            store += b"\0" * (-len(store) % 4)
            offset, data = len(store), struct.pack(">I", value)
        else:
            offset, data = len(store), value.encode() + b"\0"
        index += struct.pack(">IIII", tag, kind, offset, 1)
        store += data
    return b"\x8e\xad\xe8\x01\0\0\0\0" + struct.pack(">II", len(tags), len(store)) + index + store


def rpm(entries, kind, name):
    payload = compress(cpio_of(entries), kind)
    compressor = {"gz": "gzip", "xz": "xz", "zst": "zstd", "none": "identity"}[kind]
    header = rpm_header([(1000, 6, name), (1001, 6, "1.0"), (1002, 6, "1"), (1021, 6, "linux"),
                         (1022, 6, "noarch"), (1124, 6, "cpio"), (1125, 6, compressor), (1126, 6, "9")])
    signature = rpm_header([(1000, 4, len(header) + len(payload))])
    signature += b"\0" * (-len(signature) % 8)
    lead = b"\xed\xab\xee\xdb\x03\x00" + struct.pack(">HH", 0, 0) + name.encode()[:65].ljust(66, b"\0") \
        + struct.pack(">HH", 1, 5) + b"\0" * 16
    return lead + signature + header + payload


# --- xar ---------------------------------------------------------------------------------------

def xar(entries):
    heap = bytearray(b"\0" * 20)  # the table of contents' checksum comes first
    tree = {}
    for name, contents in entries:
        parts = name.rstrip("/").split("/")
        node = tree
        for part in parts[:-1]:
            node = node.setdefault(part, {})
        node.setdefault(parts[-1], {} if name.endswith("/") else contents)
    ids = iter(range(1, 1 << 20))
    def files(node):
        xml = ""
        for key, value in node.items():
            xml += '<file id="%d"><name>%s</name>' % (next(ids), key)
            if isinstance(value, dict):
                xml += "<type>directory</type>" + files(value)
            else:
                packed = zlib.compress(value)
                digest = hashlib.sha1(value).hexdigest()
                xml += ("<type>file</type><data><length>%d</length><offset>%d</offset><size>%d</size>"
                        '<encoding style="application/x-gzip"/>'
                        '<extracted-checksum style="sha1">%s</extracted-checksum>'
                        '<archived-checksum style="sha1">%s</archived-checksum></data>'
                        % (len(packed), len(heap), len(value), digest, hashlib.sha1(packed).hexdigest()))
                heap.extend(packed)
            xml += "</file>"
        return xml
    body = files(tree)
    toc = ('<?xml version="1.0" encoding="UTF-8"?>\n<xar><toc>'
           '<checksum style="sha1"><offset>0</offset><size>20</size></checksum>'
           '<creation-time>2024-05-17T12:30:00</creation-time>' + body + "</toc></xar>").encode()
    packed_toc = zlib.compress(toc)
    heap[0:20] = hashlib.sha1(packed_toc).digest()
    header = b"xar!" + struct.pack(">HHQQI", 28, 1, len(packed_toc), len(toc), 1)
    return header + packed_toc + bytes(heap)


def main(argv):
    kind, archive = argv[1], argv[2]
    rest = argv[3:]
    compression = "gz"
    if rest[:1] == ["--compression"]:
        compression, rest = rest[1], rest[2:]
    entries = []
    for item in rest:
        name, _, contents = item.partition("=")
        entries.append((name, contents.encode("utf-8")))
    if kind == "deb":
        data = deb(entries, compression)
    elif kind == "rpm":
        data = rpm(entries, compression, archive.rsplit("/", 1)[-1].split("-", 1)[0])
    else:
        data = xar(entries)
    with open(archive, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv)
