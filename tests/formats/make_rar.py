#!/usr/bin/env python3
# Writes small RAR 4 and RAR 5 archives for the tests: stored (uncompressed) entries, optionally
# encrypted with a password, laid out as the published RAR format descriptions say. No RAR
# compressor is involved; unar and lsar are the judges of the result.
#
# usage: make_rar.py {rar4|rar5} ARCHIVE [--password P] NAME=CONTENTS... (a NAME ending in "/"
# is a folder)
import hashlib
import os
import struct
import sys
import zlib

# --- AES (encryption only), enough for CBC over stored data -------------------------------------

def _xtime(a):
    return ((a << 1) ^ 0x1B) & 0xFF if a & 0x80 else a << 1

def _make_sbox():
    sbox = [0] * 256
    p = q = 1
    while True:
        p = p ^ ((p << 1) & 0xFF) ^ (0x1B if p & 0x80 else 0)
        q ^= q << 1
        q ^= q << 2
        q ^= q << 4
        q &= 0xFF
        if q & 0x80:
            q ^= 0x09
        x = q ^ ((q << 1) | (q >> 7)) & 0xFF ^ ((q << 2) | (q >> 6)) & 0xFF \
            ^ ((q << 3) | (q >> 5)) & 0xFF ^ ((q << 4) | (q >> 4)) & 0xFF
        sbox[p] = (x ^ 0x63) & 0xFF
        if p == 1:
            break
    sbox[0] = 0x63
    return sbox

SBOX = _make_sbox()

def _expand_key(key):
    nk = len(key) // 4
    rounds = nk + 6
    words = [list(key[4 * i:4 * i + 4]) for i in range(nk)]
    rcon = 1
    for i in range(nk, 4 * (rounds + 1)):
        t = list(words[i - 1])
        if i % nk == 0:
            t = t[1:] + t[:1]
            t = [SBOX[b] for b in t]
            t[0] ^= rcon
            rcon = _xtime(rcon)
        elif nk > 6 and i % nk == 4:
            t = [SBOX[b] for b in t]
        words.append([a ^ b for a, b in zip(words[i - nk], t)])
    return [sum(words[4 * r:4 * r + 4], []) for r in range(rounds + 1)]

def _encrypt_block(round_keys, block):
    s = [b ^ k for b, k in zip(block, round_keys[0])]
    for r in range(1, len(round_keys)):
        s = [SBOX[b] for b in s]
        # shift rows (state is column-major: s[row + 4 * column])
        s = [s[(i + 4 * (i % 4)) % 16] for i in range(16)]
        if r != len(round_keys) - 1:
            mixed = []
            for c in range(4):
                a = s[4 * c:4 * c + 4]
                t = a[0] ^ a[1] ^ a[2] ^ a[3]
                mixed += [a[i] ^ t ^ _xtime(a[i] ^ a[(i + 1) % 4]) for i in range(4)]
            s = mixed
        s = [b ^ k for b, k in zip(s, round_keys[r])]
    return bytes(s)

def aes_cbc_encrypt(key, iv, data):
    data += b"\0" * (-len(data) % 16)
    round_keys = _expand_key(key)
    out = b""
    previous = iv
    for i in range(0, len(data), 16):
        previous = _encrypt_block(round_keys, bytes(a ^ b for a, b in zip(data[i:i + 16], previous)))
        out += previous
    return out

# --- RAR 4 (the format of RAR 2.9 to 4.x) --------------------------------------------------------

DOS_TIME = (2024 - 1980) << 25 | 5 << 21 | 17 << 16 | 12 << 11 | 30 << 5

def _rar4_block(kind, flags, body):
    rest = struct.pack("<BHH", kind, flags, 7 + len(body)) + body
    return struct.pack("<H", zlib.crc32(rest) & 0xFFFF) + rest

def _rar3_key(password, salt):
    raw = password.encode("utf-16-le") + salt
    sha = hashlib.sha1()
    iv = bytearray(16)
    rounds = 0x40000
    for i in range(rounds):
        sha.update(raw + bytes((i & 0xFF, (i >> 8) & 0xFF, (i >> 16) & 0xFF)))
        if i % (rounds // 16) == 0:
            iv[i // (rounds // 16)] = sha.copy().digest()[19]
    digest = sha.digest()
    key = bytes(digest[4 * w + 3 - b] for w in range(4) for b in range(4))
    return key, bytes(iv)

def rar4(entries, password=None):
    out = b"Rar!\x1a\x07\x00" + _rar4_block(0x73, 0, b"\0" * 6)
    for name, contents in entries:
        folder = name.endswith("/")
        # RAR 4 separates path components with backslashes, whatever system wrote it.
        name = name.rstrip("/").replace("/", "\\").encode("utf-8")
        flags = 0x8000
        packed = b"" if folder else contents
        salt = b""
        if folder:
            flags |= 0xE0
        elif password is not None:
            flags |= 0x04 | 0x400
            salt = os.urandom(8)
            key, iv = _rar3_key(password, salt)
            packed = aes_cbc_encrypt(key, iv, contents)
        mode = 0o40755 if folder else 0o100644
        body = struct.pack("<IIBIIBBHI", len(packed), len(contents), 3, zlib.crc32(contents),
                           DOS_TIME, 29, 0x30, len(name), mode) + name + salt
        out += _rar4_block(0x74, flags, body) + packed
    return out + _rar4_block(0x7B, 0x4000, b"")

# --- RAR 5 ---------------------------------------------------------------------------------------

def _vint(value):
    out = bytearray()
    while True:
        byte = value & 0x7F
        value >>= 7
        out.append(byte | (0x80 if value else 0))
        if not value:
            return bytes(out)

def _rar5_header(kind, flags, fields, extra=b"", data_size=None):
    if extra:
        flags |= 0x01
    if data_size is not None:
        flags |= 0x02
    body = _vint(kind) + _vint(flags)
    if extra:
        body += _vint(len(extra))
    if data_size is not None:
        body += _vint(data_size)
    body += fields + extra
    sized = _vint(len(body)) + body
    return struct.pack("<I", zlib.crc32(sized)) + sized

def rar5(entries, password=None):
    out = b"Rar!\x1a\x07\x01\x00" + _rar5_header(1, 0, _vint(0))
    for name, contents in entries:
        folder = name.endswith("/")
        name = name.rstrip("/").encode("utf-8")
        packed = b"" if folder else contents
        extra = b""
        if password is not None and not folder:
            log2_count = 15
            salt = os.urandom(16)
            iv = os.urandom(16)
            secret = password.encode("utf-8")
            key = hashlib.pbkdf2_hmac("sha256", secret, salt, 1 << log2_count, 32)
            value = hashlib.pbkdf2_hmac("sha256", secret, salt, (1 << log2_count) + 32, 32)
            check = bytearray(8)
            for i, byte in enumerate(value):
                check[i % 8] ^= byte
            check = bytes(check) + hashlib.sha256(bytes(check)).digest()[:4]
            record = _vint(1) + _vint(0) + _vint(0x01) + bytes((log2_count,)) + salt + iv + check
            extra = _vint(len(record)) + record
            packed = aes_cbc_encrypt(key, iv, contents)
        file_flags = 0x02 | (0x01 if folder else 0x04)
        fields = _vint(file_flags) + _vint(len(contents)) + _vint(0o40755 if folder else 0o100644)
        fields += struct.pack("<I", 1715949000)
        if not folder:
            fields += struct.pack("<I", zlib.crc32(contents))
        fields += _vint(0) + _vint(1) + _vint(len(name)) + name
        out += _rar5_header(2, 0, fields, extra, None if folder else len(packed)) + packed
    return out + _rar5_header(5, 0, _vint(0))

def main(argv):
    kind, archive = argv[1], argv[2]
    rest = argv[3:]
    password = None
    if rest[:1] == ["--password"]:
        password, rest = rest[1], rest[2:]
    entries = []
    for item in rest:
        name, _, contents = item.partition("=")
        entries.append((name, contents.encode("utf-8")))
    data = (rar4 if kind == "rar4" else rar5)(entries, password)
    with open(archive, "wb") as f:
        f.write(data)

if __name__ == "__main__":
    main(sys.argv)
