#!/usr/bin/env python3
# Benchmark: whole expansions through quendle against bare 7-Zip, and what the progress poll costs.
"""
Builds its archives with 7-Zip in a work folder, then, in one run, times:

  bare       7zz x ARCHIVE -oOUT -aoa                        (no poll)
  bare+poll  the same, beside bench's poll_driver polling OUT/<top> every 50 ms as the
             extraction run does (the app's own progress counter)
  unpaced    the same, beside poll_driver --every-tick (a full walk on every tick; --unpaced)
  quendle    build/bin/quendle ARCHIVE: listing, planning, extraction, polling, quit; offscreen,
             custom folder OUT, IsRevealInFinder=0 (no file manager), a fresh HOME/XDG per run
  baseline   quendle as above, from another build (--baseline DIR): before and after in one run
  list       7zz l -slt ARCHIVE alone (what the opening listing would cost with 7-Zip)
  aunpack    aunpack -X OUT ARCHIVE (Debian's atool), when installed: a command-line peer
  tar        GNU tar xf with the same decompressor (tar xzf, tar xJf, tar --zstd -xf), for the
             compressed tars

"bare" is what 7-Zip alone does: 7zz x for zips, 7zz x -p for the encrypted ones (quendle gets
the same password typed on a terminal), the pipe 7zz x -so | 7zz x -si -ttar for the compressed
tars (7zz x alone gives only the .tar), and unar for the RAR (Debian's 7-Zip has no RAR).

several runs each (interleaved, so that drift hits every variant alike), and prints the medians,
their ratios to bare 7zz in the same run, and quendle's peak memory (its own VmHWM, sampled from
/proc while it runs; 7-Zip's memory is not counted).

Modes:
  expand  the archives (60 files of 2 MB in all; one 300 MB file; 20,000 small files in 200
          folders; 200,000 tiny files; the 20,000 files as a 7z, .tar.gz, .tar.xz and .tar.zst; the 300 MB file
          as an AES-256 zip and the 20,000 files as an AES-256 7z; a RAR of 1,000 files) on the
          work folder's file system (disk; --tmpfs for /dev/shm): bare, list, quendle, aunpack,
          tar
  poll    the 20,000- and 200,000-file archives on disk and on tmpfs: bare, bare+poll, quendle
  all     both (default)

Probe (--probe): quendle alone over the 200,000-file zip (its opening listing) and the AES zip (its
password check, the password typed on a terminal), --runs times each, with QUENDLE_PROBE_EVENT_LOOP
set: the longest gap between two ticks of quendle's 5 ms probe timer on the event loop's thread,
and the longest wait of a hand-over sent to quendle's socket every 50 ms while it runs (the message
a launch without files sends). With --baseline, that build's quendle is probed too. Targets: a
gap <= 50 ms beyond the tick, a hand-over answered within 100 ms.

Targets: quendle/bare <= 1.05 for the big file and <= 1.15 for the file-heavy archives, <= 1.10
for the encrypted ones, <= 1.3 of unar for the RAR, quendle/tar <= 1.10 for the compressed tars,
quendle's peak memory < 80 MB, and bare+poll/bare <= 1.05 on disk. Benchmarks never fail on
time: "MISSED" only marks a ratio.

Example:
  bench/expand_bench.py --build build --runs 3
  bench/expand_bench.py --probe --runs 3 --baseline OTHER_BUILD
"""

import argparse
import json
import os
import platform
import shutil
import re
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# name: (description, top-level item, target ratio)
ARCHIVES = {
    "small": ("60 files, 2 MB", "sixty", 1.15),
    "big": ("one 300 MB file", "big.bin", 1.05),
    "20k": ("20,000 small files in 200 folders", "small", 1.15),
    "200k": ("200,000 tiny files", "tiny", 1.15),
    "20k.tar.gz": ("20,000 small files, .tar.gz", "small", None),
    "20k.tar.xz": ("20,000 small files, .tar.xz", "small", None),
    "20k.tar.zst": ("20,000 small files, .tar.zst", "small", None),
    "aes": ("one 300 MB file, AES-256 zip, right password", "big.bin", 1.10),
    "20k.7z": ("20,000 small files, 7z", "small", 1.15),
    "aes7z": ("20,000 small files, AES-256 7z, right password", "small", 1.10),
    "rar": ("RAR of 1,000 files", "thousand", 1.3),
}
# The compressed tars' own target: against GNU tar with the same decompressor.
TAR_TARGET = 1.10
TAR_FLAGS = {"20k.tar.gz": ["-xzf"], "20k.tar.xz": ["-xJf"], "20k.tar.zst": ["--zstd", "-xf"]}
TAR_COMPRESSORS = {"20k.tar.gz": "--gzip", "20k.tar.xz": "--xz", "20k.tar.zst": "--zstd"}
PASSWORD = "bench-secret"
ENCRYPTED = ("aes", "aes7z")
POLL_ARCHIVES = ("20k", "200k")
MEMORY_TARGET_MB = 80.0
POLL_TARGET = 1.05


def log(*parts):
    print(*parts, file=sys.stderr, flush=True)


def file_system_of(path):
    """The type of the file system that holds path, from /proc/mounts (longest mount prefix)."""
    path = os.path.realpath(path)
    best, kind = "", "?"
    with open("/proc/mounts") as mounts:
        for line in mounts:
            fields = line.split()
            mount_point = fields[1].replace("\\040", " ")
            if (path == mount_point or path.startswith(mount_point.rstrip("/") + "/")) and len(mount_point) > len(best):
                best, kind = mount_point, fields[2]
    return kind


def seven_zip():
    for name in ("7zz", "7z"):
        found = shutil.which(name)
        if found:
            return found
    sys.exit("7-Zip (7zz or 7z) is not installed")


def run_checked(argv, cwd=None):
    result = subprocess.run(argv, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)
    if result.returncode != 0:
        sys.exit("failed: %s\n%s" % (" ".join(argv), result.stdout.decode(errors="replace")[-2000:]))


# ------------------------------------------------------------------------------------------------
# Archives

def fill_big(root, size_mb, data):
    """One file: random bytes (7-Zip stores rather than compresses them, so extracting is a copy)
    or mildly compressible text (extracting also inflates)."""
    os.makedirs(root, exist_ok=True)
    chunk = 1 << 20
    with open(os.path.join(root, "big.bin"), "wb") as out:
        for _ in range(size_mb):
            if data == "random":
                out.write(os.urandom(chunk))
            else:
                words = os.urandom(chunk // 2).hex()  # hex digits: about half the size deflated
                out.write(words[:chunk].encode())
    return 1


def fill_many(root, top, files, folders, size_for):
    """files files spread over folders folders below root/top, mildly compressible text."""
    per_folder = files // folders
    seed = os.urandom(4096).hex()
    count = 0
    for f in range(folders):
        folder = os.path.join(root, top, "d%04d" % f)
        os.makedirs(folder)
        for i in range(per_folder):
            size = size_for(count)
            body = (("%d:%d " % (f, i)) + seed)
            data = (body * (size // len(body) + 1))[:size].encode()
            with open(os.path.join(folder, "f%05d.txt" % i), "wb") as out:
                out.write(data)
            count += 1
    return count + folders + 1  # files, folders and the top folder: the entries below OUT


def fill_sixty(root):
    """60 files in 3 folders, hex text of 40 to 100 kB each: about 2 MB zipped."""
    count = 0
    for f in range(3):
        folder = os.path.join(root, "sixty", "d%d" % f)
        os.makedirs(folder)
        for i in range(20):
            size = 40000 + (count * 7919) % 60000
            with open(os.path.join(folder, "f%02d.txt" % i), "wb") as out:
                out.write(os.urandom(size // 2 + 1).hex()[:size].encode())
            count += 1
    return count + 3 + 1


def fill_thousand_rar(root, archive):
    """A RAR 5 of 1,000 small files in 10 folders, by the tests' own RAR writer."""
    items = ["thousand/"]
    for f in range(10):
        items.append("thousand/d%d/" % f)
        items += ["thousand/d%d/f%03d.txt=%s" % (f, i, ("%d:%d " % (f, i)) * 40) for i in range(100)]
    run_checked([sys.executable, os.path.join(REPO, "tests", "formats", "make_rar.py"), "rar5", archive] + items,
                cwd=root)
    return 1 + 10 + 1000


def archive_file_name(name, args):
    text = name == "big" and args.big_data == "text"
    suffix = {"aes": ".zip", "aes7z": ".7z", "rar": ".rar", "20k.7z": ""}.get(name, "" if ".tar." in name else ".zip")
    return name + ("-text" if text else "") + suffix


def build_archives(names, folder, args):
    """Builds (or reuses) the named archives in folder; returns {name: (path, entries)}."""
    os.makedirs(folder, exist_ok=True)
    made = {}
    for name in names:
        archive = os.path.join(folder, archive_file_name(name, args))
        stamp = archive + ".json"
        parameters = {"big": {"big_mb": args.big_mb, "big_data": args.big_data},
                      "aes": {"big_mb": args.big_mb, "password": PASSWORD},
                      "20k": {"small": args.small_files}, "200k": {"tiny": args.tiny_files},
                      "20k.tar.gz": {"small": args.small_files}, "20k.tar.xz": {"small": args.small_files},
                      "20k.tar.zst": {"small": args.small_files},
                      "aes7z": {"small": args.small_files, "password": PASSWORD},
                      "20k.7z": {"small": args.small_files},
                      "rar": {"thousand": 1000}, "small": {"sixty": 60}}[name]
        if os.path.exists(archive) and os.path.exists(stamp):
            with open(stamp) as f:
                saved = json.load(f)
            built_with = dict({"big_data": "random"}, **saved.get("parameters", {}))
            if all(built_with.get(key) == value for key, value in parameters.items()):
                made[name] = (archive, saved["entries"])
                log("reusing", archive)
                continue
        source = tempfile.mkdtemp(prefix="source-", dir=folder)
        log("building", archive, "...")
        started = time.perf_counter()
        if os.path.exists(archive):
            os.remove(archive)
        if name == "rar":
            entries = fill_thousand_rar(source, archive)
        else:
            if name in ("big", "aes"):
                entries = fill_big(source, args.big_mb, args.big_data if name == "big" else "random")
            elif name == "small":
                entries = fill_sixty(source)
            elif name in ("20k", "20k.tar.gz", "20k.tar.xz", "20k.tar.zst", "aes7z", "20k.7z"):
                entries = fill_many(source, "small", args.small_files, 200, lambda n: 200 + (n * 7919) % 3800)
            else:
                entries = fill_many(source, "tiny", args.tiny_files, 1000, lambda n: 10 + (n * 31) % 90)
            top = ARCHIVES[name][1]
            if name in TAR_FLAGS:
                run_checked(["tar", "-c", "-f", archive, TAR_COMPRESSORS[name], top],
                            cwd=source)
            elif name == "aes":
                run_checked([seven_zip(), "a", "-tzip", "-mx=1", "-mem=AES256", "-p" + PASSWORD, archive, top],
                            cwd=source)
            elif name == "aes7z":
                run_checked([seven_zip(), "a", "-t7z", "-mx=1", "-p" + PASSWORD, archive, top], cwd=source)
            elif name == "20k.7z":
                run_checked([seven_zip(), "a", "-t7z", "-mx=1", archive, top], cwd=source)
            else:
                run_checked([seven_zip(), "a", "-tzip", "-mx=1", archive, top], cwd=source)
        remove_tree(source)
        with open(stamp, "w") as f:
            json.dump({"parameters": parameters, "entries": entries}, f)
        made[name] = (archive, entries)
        log("  %.1f s, %.1f MB" % (time.perf_counter() - started, os.path.getsize(archive) / 1e6))
    return made


# ------------------------------------------------------------------------------------------------
# Timed runs

def vm_hwm_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except (OSError, ValueError):
        pass
    return 0


LAST_CPU = [0.0]


def timed(argv, env=None, log_path=None, typed=None):
    """Runs argv to its end; returns (seconds, exit status, own peak RSS in kB, max RSS of the
    process and its children in kB). typed: a line waiting on a terminal that is the program's
    standard input (a headless quendle reads the password there)."""
    out = open(log_path, "ab") if log_path else subprocess.DEVNULL
    stdin, terminal = subprocess.DEVNULL, None
    if typed is not None:
        terminal, stdin = os.openpty()
        os.write(terminal, typed.encode() + b"\n")
    started = time.perf_counter()
    process = subprocess.Popen(argv, env=env, stdin=stdin, stdout=out, stderr=out)
    if terminal is not None:
        os.close(stdin)
    peak = 0
    while True:
        pid, status, usage = os.wait4(process.pid, os.WNOHANG)
        if pid:
            break
        peak = max(peak, vm_hwm_kb(process.pid))
        time.sleep(0.005)
    seconds = time.perf_counter() - started
    # The processor time of the program and of every child it waited for (7-Zip, unar, tar...):
    # the work done, which the load of a busy machine changes much less than the wall time.
    LAST_CPU[0] = usage.ru_utime + usage.ru_stime
    if terminal is not None:
        os.close(terminal)
    process.returncode = os.waitstatus_to_exitcode(status)
    if log_path:
        out.close()
    return seconds, process.returncode, peak, usage.ru_maxrss


def count_entries(root):
    total = 0
    for _, folders, files in os.walk(root):
        total += len(folders) + len(files)
    return total


def remove_tree(path):
    if os.path.lexists(path):
        subprocess.run(["rm", "-rf", "--", path], check=True)


def fresh_output(out, discard, on_disk):
    # On disk the previous output is set aside, not deleted: deleting a big tree keeps the disk
    # busy (journal, discards) well after the call returns, which would slow the next timed
    # run. On tmpfs deleting costs nothing later, and its inodes are few.
    if os.path.lexists(out):
        if on_disk:
            os.makedirs(discard, exist_ok=True)
            os.rename(out, os.path.join(discard, str(time.monotonic_ns())))
        else:
            remove_tree(out)
    os.makedirs(out)
    # Nothing the previous run wrote is still on its way to the disk.
    os.sync()


def delete_set_aside(out, discard):
    remove_tree(out)
    remove_tree(discard)
    os.sync()


class Bench:
    def __init__(self, args):
        self.args = args
        self.sevenzip = seven_zip()
        self.quendle = os.path.join(args.build, "bin", "quendle")
        if not os.access(self.quendle, os.X_OK):
            sys.exit("no quendle at %s (build the quendle target, or pass --build)" % self.quendle)
        self.poll_driver = args.poll_driver or self.find_poll_driver()
        self.aunpack = shutil.which("aunpack")
        self.unar = shutil.which("unar")
        self.baseline = os.path.join(os.path.abspath(args.baseline), "bin", "quendle") if args.baseline else None
        self.results = {}

    def find_poll_driver(self):
        for candidate in ("bench/poll_driver", "bench/poll_driver/poll_driver", "bin/poll_driver"):
            path = os.path.join(self.args.build, candidate)
            if os.path.isfile(path) and os.access(path, os.X_OK):
                return path
        return None

    def quendle_environment(self, work, out, run_id, terminal=False):
        home = os.path.join(work, "homes", run_id)
        remove_tree(home)
        folders = {name: os.path.join(home, name) for name in ("home", "config", "data", "run", "cache")}
        for path in folders.values():
            os.makedirs(path)
        os.chmod(folders["run"], 0o700)
        os.makedirs(os.path.join(folders["config"], "quendle"))
        with open(os.path.join(folders["config"], "quendle", "quendle.conf"), "w") as conf:
            conf.write("[General]\nIsUsedCustomFolder=1\nCustomFolder=%s\nIsRevealInFinder=0\n"
                       "ActionAfterExpanding=0\n" % out)
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS")}
        if terminal:
            env.pop("QT_QPA_PLATFORM", None)  # no display: the password is asked on the terminal
        else:
            env["QT_QPA_PLATFORM"] = "offscreen"
        env.update({"HOME": folders["home"], "XDG_CONFIG_HOME": folders["config"],
                    "XDG_DATA_HOME": folders["data"], "XDG_RUNTIME_DIR": folders["run"],
                    "XDG_CACHE_HOME": folders["cache"],
                    "DBUS_SESSION_BUS_ADDRESS": "unix:path=" + os.path.join(home, "no-bus")})
        return env

    def run_variant(self, variant, name, archive, entries, work, run_id):
        out = os.path.join(work, "out")
        fresh_output(out, os.path.join(work, "set-aside"), file_system_of(work) != "tmpfs")
        bare = [self.sevenzip, "x", archive, "-o" + out, "-aoa"]
        if name in ENCRYPTED:
            bare.append("-p" + PASSWORD)
        record = {}
        if variant == "bare" and name in TAR_FLAGS:
            seconds, status, _, _ = timed(["sh", "-c", '"$0" x -so -- "$1" | "$0" x -si -ttar -o"$2" -aoa',
                                           self.sevenzip, archive, out])
        elif variant == "bare" and name == "rar":
            seconds, status, _, _ = timed([self.unar, "-q", "-f", "-o", out, archive])
        elif variant == "bare":
            seconds, status, _, _ = timed(bare)
        elif variant == "tar":
            seconds, status, _, _ = timed(["tar", "-C", out] + TAR_FLAGS[name] + [archive])
        elif variant == "list":
            seconds, status, _, _ = timed([self.sevenzip, "l", archive, "-slt"]
                                          + (["-p" + PASSWORD] if name in ENCRYPTED else []))
            record["seconds"] = seconds
            if status != 0:
                sys.exit("7zz l of %s: exit status %d" % (archive, status))
            return record
        elif variant == "aunpack":
            seconds, status, _, _ = timed([self.aunpack, "-q", "-X", out, archive])
        elif variant in ("bare+poll", "unpaced"):
            command = [self.poll_driver, os.path.join(out, ARCHIVES[name][1]), "--interval", "50"]
            if variant == "unpaced":
                command.append("--every-tick")
            driver = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                      stderr=subprocess.DEVNULL)
            time.sleep(0.2)  # polling before the archiver starts, as the app does
            seconds, status, _, _ = timed(bare)
            driver.send_signal(signal.SIGTERM)
            line = driver.communicate(timeout=600)[0].decode().strip()
            record["driver"] = line
        else:
            encrypted = name in ENCRYPTED
            env = self.quendle_environment(work, out, run_id, terminal=encrypted)
            program = self.baseline if variant == "baseline" else self.quendle
            seconds, status, peak, _ = timed([program, archive], env=env,
                                             log_path=os.path.join(work, "quendle.log"),
                                             typed=PASSWORD if encrypted else None)
            record["peak_kb"] = peak
        found = count_entries(out)
        if status != 0 or found != entries:
            sys.exit("%s of %s: exit status %d, %d entries below the output instead of %d"
                     % (variant, archive, status, found, entries))
        record["seconds"] = seconds
        record["cpu"] = LAST_CPU[0]
        return record

    def measure(self, file_system, name, archive, entries, variants, work):
        log("== %s on %s (%s): %s" % (name, file_system, work, ", ".join(variants)))
        self.run_variant("bare", name, archive, entries, work, "warmup")  # archive into the page cache
        cell = {variant: [] for variant in variants}
        for run in range(self.args.runs):
            for variant in variants:
                record = self.run_variant(variant, name, archive, entries, work, "%s-%s-%d" % (name, variant, run))
                cell[variant].append(record)
                log("  run %d %-9s %7.2f s (cpu %.2f s) %s" % (run + 1, variant, record["seconds"], record.get("cpu", 0),
                    ("peak %.1f MB" % (record["peak_kb"] / 1024)) if "peak_kb" in record else record.get("driver", "")))
        delete_set_aside(os.path.join(work, "out"), os.path.join(work, "set-aside"))
        self.results[(file_system, name)] = cell


def median_seconds(records):
    return statistics.median(r["seconds"] for r in records)


def report(bench, plan):
    titles = {"list": "7zz l -slt", "bare+poll": "bare+poll (ratio)", "unpaced": "unpaced poll (ratio)",
              "baseline": "baseline quendle (ratio)", "quendle": "quendle (ratio)", "aunpack": "aunpack (ratio)",
              "tar": "GNU tar xf (ratio)"}
    # Only the variants some cell was measured with get a column.
    variants_shown = [v for v in titles if any(v in bench.results[key] for key, _ in plan)]
    header = (["file system", "archive", "bare 7zz x"] + [titles[v] for v in variants_shown]
              + ["cpu s: " + " / ".join(["bare"] + [v for v in variants_shown if v not in ("list", "bare+poll", "unpaced")]),
                 "quendle peak RSS", "targets"])
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for (file_system, name), _ in plan:
        cell = bench.results[(file_system, name)]
        bare = median_seconds(cell["bare"])
        row = ["%s" % file_system, ARCHIVES[name][0], "%.3f s" % bare]
        for variant in variants_shown:
            if variant in cell:
                m = median_seconds(cell[variant])
                row.append("%.3f s" % m if variant == "list" else "%.3f s (%.3f)" % (m, m / bare))
            else:
                row.append("")
        row.append(" / ".join("%.2f" % statistics.median(r.get("cpu", 0) for r in cell[v])
                              for v in ["bare"] + variants_shown if v in cell and v not in ("list", "bare+poll", "unpaced")))
        if "quendle" in cell:
            row.append("%.1f MB" % (max(r["peak_kb"] for r in cell["quendle"]) / 1024))
        else:
            row.append("")
        targets = []
        if "quendle" in cell and "tar" in cell:
            ratio = median_seconds(cell["quendle"]) / median_seconds(cell["tar"])
            targets.append("quendle/tar %.2f %s %.2f" % (ratio, "ok" if ratio <= TAR_TARGET else "MISSED", TAR_TARGET))
        elif "quendle" in cell and ARCHIVES[name][2]:
            ratio = median_seconds(cell["quendle"]) / bare
            targets.append("quendle %s %.2f" % ("ok" if ratio <= ARCHIVES[name][2] else "MISSED", ARCHIVES[name][2]))
        if "quendle" in cell and "aunpack" in cell:
            ahead = median_seconds(cell["quendle"]) <= median_seconds(cell["aunpack"])
            targets.append("%s aunpack" % ("ahead of" if ahead else "behind"))
            peak = max(r["peak_kb"] for r in cell["quendle"]) / 1024
            targets.append("memory %s" % ("ok" if peak < MEMORY_TARGET_MB else "MISSED"))
        if "bare+poll" in cell and file_system == "disk":
            ratio = median_seconds(cell["bare+poll"]) / bare
            targets.append("poll %s %.2f" % ("ok" if ratio <= POLL_TARGET else "MISSED", POLL_TARGET))
        row.append(", ".join(targets))
        lines.append("| " + " | ".join(row) + " |")
    return "\n".join(lines)


def measure_all(bench, plan, archives, disk_work, shm_work):
    for (file_system, name), variants in plan:
        archive, entries = archives[name]
        work = disk_work
        if file_system == "tmpfs":
            work = shm_work
            os.makedirs(os.path.join(work, "archives"), exist_ok=True)
            copy = os.path.join(work, "archives", os.path.basename(archive))
            if not os.path.exists(copy) or os.path.getsize(copy) != os.path.getsize(archive):
                shutil.copyfile(archive, copy)
            archive = copy
            if file_system_of(work) != "tmpfs":
                log("warning: %s is not on tmpfs" % work)
        bench.measure(file_system, name, archive, entries, variants, work)
        remove_tree(os.path.join(work, "homes"))


# ------------------------------------------------------------------------------------------------
# The event loop's probe

PROBE_ARCHIVES = ("200k", "aes")
PROBE_GAP_TARGET_MS = 50.0
PROBE_HANDOVER_TARGET_MS = 100.0
PROBE_LINE = re.compile(r"event loop probe: longest gap between ticks ([0-9.]+) ms \(ending ([0-9.]+) ms")


class HandOverProber(threading.Thread):
    """Sends the message of a launch without files (an empty list: the running quendle only comes
    forward) to quendle's socket every 50 ms and keeps the longest wait for its answer."""

    def __init__(self, socket_path):
        super().__init__(daemon=True)
        self.socket_path = socket_path
        self.stopping = threading.Event()
        self.longest_ms = 0.0
        self.answered = 0

    def run(self):
        while not self.stopping.wait(0.05):
            client = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            client.settimeout(30)
            try:
                client.connect(self.socket_path)
            except OSError:
                client.close()
                continue  # not listening yet, or gone
            started = time.perf_counter()
            try:
                client.sendall(b"\0\0\0\0")
                answer = client.recv(1)
            except OSError:
                answer = b""
            finally:
                client.close()
            if answer == b"K":
                self.answered += 1
                self.longest_ms = max(self.longest_ms, (time.perf_counter() - started) * 1e3)


def probe_run(bench, program, name, archive, entries, work, run_id):
    out = os.path.join(work, "out")
    fresh_output(out, os.path.join(work, "set-aside"), file_system_of(work) != "tmpfs")
    encrypted = name in ENCRYPTED
    env = bench.quendle_environment(work, out, run_id, terminal=encrypted)
    env["QUENDLE_PROBE_EVENT_LOOP"] = "1"
    log_path = os.path.join(work, "quendle-probe.log")
    if os.path.exists(log_path):
        os.remove(log_path)
    prober = HandOverProber(os.path.join(env["XDG_RUNTIME_DIR"], "quendle.socket"))
    prober.start()
    seconds, status, _, _ = timed([program, archive], env=env, log_path=log_path,
                                  typed=PASSWORD if encrypted else None)
    prober.stopping.set()
    prober.join()
    with open(log_path, errors="replace") as f:
        text = f.read()
    found = count_entries(out)
    if status != 0 or found != entries:
        sys.exit("probe of %s with %s: exit status %d, %d entries instead of %d\n%s"
                 % (archive, program, status, found, entries, text[-2000:]))
    match = PROBE_LINE.search(text)
    if not match:
        sys.exit("%s printed no probe line (built before the probe?)\n%s" % (program, text[-2000:]))
    return {"seconds": seconds, "gap_ms": float(match.group(1)), "gap_at_ms": float(match.group(2)),
            "handover_ms": prober.longest_ms, "handovers": prober.answered}


def probe_all(bench, args, disk_work):
    archives = build_archives(list(PROBE_ARCHIVES), os.path.join(disk_work, "archives"), args)
    programs = [("quendle", bench.quendle)] + ([("baseline", bench.baseline)] if bench.baseline else [])
    results = {}
    for name in PROBE_ARCHIVES:
        archive, entries = archives[name]
        bench.run_variant("bare", name, archive, entries, disk_work, "warmup")
        for run in range(args.runs):
            for variant, program in programs:
                record = probe_run(bench, program, name, archive, entries, disk_work,
                                   "probe-%s-%s-%d" % (name, variant, run))
                results.setdefault((name, variant), []).append(record)
                log("  %s run %d %-8s %6.2f s, longest gap %6.1f ms (at %.0f ms), longest hand-over %6.1f ms "
                    "(%d answered)" % (name, run + 1, variant, record["seconds"], record["gap_ms"],
                                       record["gap_at_ms"], record["handover_ms"], record["handovers"]))
        delete_set_aside(os.path.join(disk_work, "out"), os.path.join(disk_work, "set-aside"))
        remove_tree(os.path.join(disk_work, "homes"))
    print("event loop probe: %s, %s, %d runs, longest over the runs (median in brackets)"
          % (platform.release(), disk_work, args.runs))
    print("command: " + " ".join([os.path.relpath(sys.argv[0], REPO)] + sys.argv[1:]))
    print()
    print("| archive | quendle | seconds | longest gap between 5 ms ticks | longest hand-over wait | targets |")
    print("|---|---|---|---|---|---|")
    for name in PROBE_ARCHIVES:
        for variant, program in programs:
            records = results[(name, variant)]
            gap = max(r["gap_ms"] for r in records)
            handover = max(r["handover_ms"] for r in records)
            ok = (gap - 5 <= PROBE_GAP_TARGET_MS, handover <= PROBE_HANDOVER_TARGET_MS)
            print("| %s | %s | %.2f | %.1f ms (%.1f) | %.1f ms (%.1f), %d answered | gap %s, hand-over %s |"
                  % (ARCHIVES[name][0], program, statistics.median(r["seconds"] for r in records), gap,
                     statistics.median(r["gap_ms"] for r in records), handover,
                     statistics.median(r["handover_ms"] for r in records), sum(r["handovers"] for r in records),
                     "ok" if ok[0] else "MISSED", "ok" if ok[1] else "MISSED"))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(REPO, "build"), help="build folder (default: build/)")
    parser.add_argument("--work", default="/var/tmp/quendle-bench",
                        help="work folder on disk, for archives and output (default: /var/tmp/quendle-bench)")
    parser.add_argument("--tmpfs", action="store_true", help="run the expand mode on /dev/shm instead of disk")
    parser.add_argument("--shm", default="/dev/shm/quendle-bench", help="work folder on tmpfs")
    parser.add_argument("--mode", choices=("expand", "poll", "all"), default="all")
    parser.add_argument("--runs", type=int, default=3, help="timed runs of each variant (default 3)")
    parser.add_argument("--archives", default="small,big,20k,200k",
                        help="which archives (default small,big,20k,200k; also 20k.tar.gz, 20k.tar.xz, 20k.tar.zst, aes, "
                             "20k.7z, aes7z, rar)")
    parser.add_argument("--unpaced", action="store_true", help="also time bare 7zz beside a walk on every tick")
    parser.add_argument("--poll-driver", help="the poll driver (default: found in the build folder)")
    parser.add_argument("--big-mb", type=int, default=300)
    parser.add_argument("--big-data", choices=("random", "text"), default="random",
                        help="the big file's bytes: random (extracting is a copy) or mildly compressible text")
    parser.add_argument("--small-files", type=int, default=20000)
    parser.add_argument("--tiny-files", type=int, default=200000)
    parser.add_argument("--baseline", help="another build folder whose quendle is timed beside this one's")
    parser.add_argument("--keep", action="store_true", help="keep the tmpfs copy of the archives")
    parser.add_argument("--probe", action="store_true",
                        help="only the event loop's probe over the 200,000-file zip and the AES zip (on the work folder)")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    wanted = [a for a in args.archives.split(",") if a]
    for name in wanted:
        if name not in ARCHIVES:
            sys.exit("unknown archive %s (choose from %s)" % (name, ", ".join(ARCHIVES)))

    disk_work = os.path.abspath(args.work)
    os.makedirs(disk_work, exist_ok=True)
    if file_system_of(disk_work) == "tmpfs":
        log("warning: the work folder %s is on tmpfs, not on disk" % disk_work)

    if args.probe:
        probe_all(Bench(args), args, disk_work)
        return

    bench_has_aunpack = shutil.which("aunpack") is not None
    if not bench_has_aunpack:
        log("aunpack (atool) is not installed: no aunpack column")
    # (file system, archive) -> variants
    cells = {}
    if args.mode in ("expand", "all"):
        for name in wanted:
            cells.setdefault(("tmpfs" if args.tmpfs else "disk", name), ["bare"]).extend(
                ([] if name == "rar" else ["list"]) + (["baseline"] if args.baseline else []) + ["quendle"]
                # atool reads 7z only through p7zip's "7z", which Debian's 7-Zip does not install.
                + (["aunpack"] if bench_has_aunpack and name not in ENCRYPTED + ("rar", "20k.7z") else [])
                + (["tar"] if name in TAR_FLAGS else []))
    if args.mode in ("poll", "all"):
        for file_system in ("disk", "tmpfs"):
            for name in wanted:
                if name in POLL_ARCHIVES:
                    variants = cells.setdefault((file_system, name), ["bare"])
                    for variant in (["bare+poll"] + (["unpaced"] if args.unpaced else []) + ["quendle"]):
                        if variant not in variants:
                            variants.append(variant)
    order = {"bare": 0, "list": 1, "bare+poll": 2, "unpaced": 3, "baseline": 4, "quendle": 5, "aunpack": 6, "tar": 7}
    plan = sorted(((key, sorted(v, key=order.get)) for key, v in cells.items()),
                  key=lambda item: (item[0][0] != "disk", list(ARCHIVES).index(item[0][1])))

    bench = Bench(args)
    if any(v in ("bare+poll", "unpaced") for _, variants in plan for v in variants) and not bench.poll_driver:
        sys.exit("no poll_driver in %s/bench (configure with -DQUENDLE_BUILD_BENCHMARKS=ON and build the "
                 "poll_driver target, or pass --poll-driver)" % args.build)

    archives = build_archives(sorted({name for (_, name), _ in plan}, key=list(ARCHIVES).index),
                              os.path.join(disk_work, "archives"), args)
    shm_work = os.path.abspath(args.shm)
    try:
        measure_all(bench, plan, archives, disk_work, shm_work)
    finally:
        # /dev/shm is the whole machine's: give its space and inodes back even after a failure.
        if not args.keep:
            remove_tree(shm_work)

    print("quendle %s, %s, %s, %d cores, disk work folder %s (%s), %d runs, medians"
          % (bench.quendle, subprocess.run([bench.sevenzip], stdout=subprocess.PIPE).stdout.decode().strip().splitlines()[0],
             platform.release(), os.cpu_count(), disk_work, file_system_of(disk_work), args.runs))
    print("command: " + " ".join([os.path.relpath(sys.argv[0], REPO)] + sys.argv[1:]))
    print()
    print(report(bench, plan))
    print()
    for (file_system, name), variants in plan:
        cell = bench.results[(file_system, name)]
        if "bare+poll" in cell:
            print("poll driver, %s on %s, last run: %s" % (name, file_system, cell["bare+poll"][-1]["driver"]))
        if "unpaced" in cell:
            print("unpaced driver, %s on %s, last run: %s" % (name, file_system, cell["unpaced"][-1]["driver"]))


if __name__ == "__main__":
    main()
