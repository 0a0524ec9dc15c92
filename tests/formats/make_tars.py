#!/usr/bin/env python3
# Makes the gzipped tars on which the adapter's tar header reader must agree with 7-Zip, in the
# folder given: usage make_tars.py FOLDER. Each file's name says what it holds.
import gzip
import io
import os
import shutil
import subprocess
import sys
import tarfile

folder = sys.argv[1]
os.chdir(folder)
GNU, PAX, USTAR = tarfile.GNU_FORMAT, tarfile.PAX_FORMAT, tarfile.USTAR_FORMAT


def tar(entries, form=GNU, global_headers=None, encoding="utf-8"):
    """entries: (name, mode, seconds, data) with optional extras; a name ending in "/" is a
    folder, data "->x" a symbolic link to x, "=>x" a hard link, "chr"/"fifo"/"contiguous"/"old"
    those types. Extras: uname, pax (headers of the entry)."""
    buffer = io.BytesIO()
    with tarfile.open(fileobj=buffer, mode="w", format=form, pax_headers=global_headers or {},
                      encoding=encoding, errors="surrogateescape") as t:
        for entry in entries:
            name, mode, seconds, data = entry[:4]
            extras = entry[4] if len(entry) > 4 else {}
            info = tarfile.TarInfo(name.rstrip("/") if name.endswith("/") and len(name) > 1 else name)
            info.mode, info.mtime = mode, seconds
            info.uname = extras.get("uname", "user")
            info.uid = extras.get("uid", 1000)
            info.pax_headers = extras.get("pax", {})
            body = None
            if name.endswith("/"):
                info.type = tarfile.DIRTYPE
            elif data.startswith("->"):
                info.type, info.linkname = tarfile.SYMTYPE, data[2:]
            elif data.startswith("=>"):
                info.type, info.linkname = tarfile.LNKTYPE, data[2:]
            elif data in ("chr", "fifo"):
                info.type = tarfile.CHRTYPE if data == "chr" else tarfile.FIFOTYPE
            else:
                info.type = {"contiguous": tarfile.CONTTYPE, "old": tarfile.AREGTYPE}.get(data, tarfile.REGTYPE)
                body = data.encode()
                info.size = len(body)
            t.addfile(info, io.BytesIO(body) if body is not None else None)
        end = t.offset
    return buffer.getvalue(), end


def write(name, data):
    with open(name, "wb") as f:
        f.write(gzip.compress(data))


def renamed(data, name):
    """The first header named otherwise, its checksum made right again."""
    block = bytearray(data[:512])
    block[0:100] = name.ljust(100, b"\0")
    block[148:156] = b" " * 8
    block[148:156] = b"%06o\0 " % sum(block)
    return bytes(block) + data[512:]


def made(name, entries, **options):
    write(name, tar(entries, **options)[0])


def edited(name, entries, edit, **options):
    data, end = tar(entries, **options)
    write(name, edit(bytearray(data), end))


PLAIN = [("top/", 0o755, 1000000000, ""), ("top/a", 0o600, 1000000001, "a"), ("top/b c", 0o775, 1000000002, "b"),
         ("top/sub/", 0o750, 1000000003, ""), ("top/sub/d", 0o644, 1000000004, "d"),
         ("top/empty/", 0o777, 1000000005, "")]

# The reader answers for these.
made("plain-gnu.tar.gz", PLAIN)
made("plain-ustar.tar.gz", PLAIN, form=PAX)
made("files-before-folders.tar.gz", [("top/sub/d", 0o644, 1000000004, "d"), ("top/sub/", 0o710, 1000000003, ""),
                                     ("top/", 0o755, 1000000000, "")])
made("links.tar.gz", PLAIN + [("top/l", 0o777, 1000000006, "->a"), ("top/h", 0o644, 1000000007, "=>top/a"),
                              ("top/ü-link", 0o777, 1000000008, "->ü/€")])
made("set-user-id.tar.gz", [("top/", 0o755, 1000000000, ""), ("top/a", 0o4755, 1000000001, "a")])
made("read-only-folder.tar.gz", [("top/", 0o555, 1000000000, ""), ("top/a", 0o444, 1000000001, "a")])
made("backslash.tar.gz", [("top/", 0o755, 1000000000, ""), ("top/a\\b", 0o644, 1000000001, "a")])
made("pax-fractions.tar.gz", [("top/", 0o755, 1000000000.25, ""), ("top/a", 0o644, 1000000001.5, "a")], form=PAX)
made("pax-unicode.tar.gz", [("top/", 0o755, 1000000000, ""), ("top/été ü€.txt", 0o644, 1000000001, "e")], form=PAX)
made("gnu-unicode.tar.gz", [("été/", 0o755, 1000000000, ""), ("été/ü.txt", 0o644, 1000000001, "e")])
made("gnu-long-names.tar.gz", [("top/", 0o755, 1000000000, ""), ("top/" + "d" * 150 + "/f", 0o644, 1000000001, "x"),
                               ("top/l", 0o777, 1000000002, "->" + "t" * 200)])
made("ustar-prefix.tar.gz", [("top/" + "d" * 120 + "/f", 0o644, 1000000001, "x")], form=USTAR)
made("pax-long-path.tar.gz", [("top/" + "p" * 150 + "/f", 0o644, 1000000001, "x"),
                              ("top/h", 0o644, 1000000002, "=>top/" + "p" * 150 + "/f")], form=PAX)
made("pax-owner.tar.gz", [("top/a", 0o644, 1000000001, "x", {"uname": "ünïcode", "uid": 3000000})], form=PAX)
made("duplicates.tar.gz", [("top/", 0o755, 1000000000, ""), ("top/a", 0o644, 1000000001, "one"),
                           ("top/a", 0o644, 1000000002, "two")])
made("dot-entries.tar.gz", [("./", 0o755, 1000000000, ""), ("./a", 0o644, 1000000001, "a"), ("./b/", 0o755, 1000000002, "")])
made("outside-names.tar.gz", [("/abs/a", 0o644, 1000000001, "a"), ("c/../d", 0o644, 1000000002, "d")])
made("odd-names.tar.gz", [(name, 0o644, 1000000001, "x") for name in
                          ("a//b", "a/./b", "./././c", "d/../../e", " sp ", "f\u2028g", "h\u00a0i", "x:y*z?")])
made("devices.tar.gz", [("top/c", 0o644, 1000000001, "chr"), ("top/f", 0o644, 1000000002, "fifo"),
                        ("top/k", 0o644, 1000000003, "contiguous"), ("top/o", 0o644, 1000000004, "old")])
made("git-archive.tar.gz", PLAIN, form=PAX, global_headers={"comment": "0123456789abcdef0123456789abcdef01234567"})
made("many-tops.tar.gz", [("f%02d" % i, 0o644, 1000000000 + i, "x") for i in range(70)])
made("time-zero.tar.gz", [("top/", 0o755, 0, ""), ("top/a", 0o644, 0, "a")])
made("path-sign-in-a-name.tar.gz", [("top/", 0o755, 1000000000, ""), ("top/Path = x", 0o644, 1000000001, "a"),
                                    ("top/l", 0o777, 1000000002, "->Encrypted = +")])
# More blocks of zeros after the end, as GNU tar pads its records.
edited("padded-end.tar.gz", PLAIN, lambda d, end: d + bytes(10240))

# The reader declines these, and 7-Zip lists them as before.
made("pax-comment.tar.gz", [("top/a", 0o644, 1000000001, "x", {"pax": {"comment": "Path = hidden"}})], form=PAX)
made("pax-unknown-key.tar.gz", [("top/a", 0o644, 1000000001, "x", {"pax": {"SCHILY.xattr.user.k": "v"}})], form=PAX)
made("global-with-time.tar.gz", PLAIN, form=PAX, global_headers={"mtime": "1000000000"})
made("only-a-global-header.tar.gz", [], form=PAX, global_headers={"comment": "nothing else"})
made("base-256-owner.tar.gz", [("top/a", 0o644, 1000000001, "x", {"uid": 8 ** 8})])
made("sign-in-owner.tar.gz", [("top/a", 0o644, 1000000001, "x", {"uname": "Path = u"})])
made("not-utf8-name.tar.gz", [("top/caf\udce9", 0o644, 1000000001, "x")])
made("line-feed-name.tar.gz", [("top/a\nb", 0o644, 1000000001, "x")])
edited("bad-checksum.tar.gz", PLAIN, lambda d, end: d[:512 + 5] + b"X" + d[512 + 6:])
edited("file-named-as-folder.tar.gz", [("top/a", 0o644, 1000000001, "")], lambda d, end: renamed(d, b"top/a/"))
edited("one-zero-block.tar.gz", PLAIN, lambda d, end: d[:end] + bytes(512))
edited("no-zero-blocks.tar.gz", PLAIN, lambda d, end: d[:end])
edited("bytes-after-the-end.tar.gz", PLAIN, lambda d, end: d[:end] + bytes(1024) + b"junk" + bytes(508))
edited("cut-in-the-data.tar.gz", [("top/a", 0o644, 1000000001, "x" * 5000)], lambda d, end: d[:2048])
edited("cut-in-a-header.tar.gz", PLAIN, lambda d, end: d[:512 * 3 + 100])
with open("not-a-tar.gz", "wb") as f:
    f.write(gzip.compress(b"hello\n" * 100))
damaged = bytearray(gzip.compress(tar(PLAIN)[0]))
damaged[-6] ^= 0x55
with open("damaged-stream.tar.gz", "wb") as f:
    f.write(damaged)
# GNU tar's sparse files, in its own format and in pax.
if shutil.which("tar"):
    os.makedirs("sparse-source", exist_ok=True)
    with open("sparse-source/holes", "wb") as f:
        f.truncate(1 << 20)
        f.seek(1 << 19)
        f.write(b"data")
    for form in ("gnu", "posix"):
        raw = subprocess.run(["tar", "--format=" + form, "-S", "-cf", "-", "-C", "sparse-source", "holes"],
                             check=True, stdout=subprocess.PIPE).stdout
        write("sparse-%s.tar.gz" % form, raw)
    shutil.rmtree("sparse-source")
