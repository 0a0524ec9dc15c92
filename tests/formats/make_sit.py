#!/usr/bin/env python3
# Writes a small classic StuffIt archive ("SIT!") for the tests: stored (uncompressed) forks,
# folders as start and end markers, laid out as the format's published description says.
#
# usage: make_sit.py ARCHIVE NAME=CONTENTS... (a NAME ending in "/" opens a folder, a lone "/"
# closes the innermost one; "NAME=DATA|RSRC" gives the file a resource fork too)
import struct
import sys

def crc16(data, crc=0):
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc

MAC_TIME = 3800000000  # seconds since 1904

def header(rsrc_method, data_method, name, rsrc=b"", data=b""):
    name = name.encode("mac_roman")
    fields = struct.pack(">BBB63s4s4sHIIIIIIHH6s", rsrc_method, data_method, len(name), name,
                         b"TEXT", b"ttxt", 0, MAC_TIME, MAC_TIME, len(rsrc), len(data),
                         len(rsrc), len(data), crc16(rsrc), crc16(data), b"\0" * 6)
    return fields + struct.pack(">H", crc16(fields))

def sit(items):
    body = b""
    top_level = 0
    depth = 0
    for item in items:
        if item == "/":
            depth -= 1
            body += header(33, 33, "")
            continue
        name, _, contents = item.partition("=")
        if depth == 0:
            top_level += 1
        if name.endswith("/"):
            depth += 1
            body += header(32, 32, name.rstrip("/"))
            continue
        data, _, rsrc = contents.partition("|")
        data, rsrc = data.encode("utf-8"), rsrc.encode("utf-8")
        body += header(0, 0, name, rsrc, data) + rsrc + data
    total = 22 + len(body)
    return b"SIT!" + struct.pack(">HI", top_level, total) + b"rLau" + b"\x02" + b"\0" * 7 + body

if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(sit(sys.argv[2:]))
