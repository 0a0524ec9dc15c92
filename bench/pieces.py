#!/usr/bin/env python3
# Benchmark: where a compressed tar's or a RAR's expansion spends its time, each piece alone.
"""
Times the pieces that an expansion through quendle is made of, one program at a time, against
the whole job done by the program a user would pick instead (GNU tar for a .tar.gz, unar for a
RAR). Runs are interleaved and the medians printed, with each piece's ratio to that program.

  compressed tar: GNU tar xzf; gzip -dc alone; 7zz x -so alone (the decompression); 7zz's
                  listing of the decompressed tar (what quendle's listing runs); 7zz's and GNU
                  tar's extraction of the decompressed tar; the bare pipe 7zz x -so | 7zz x -si;
                  the adapter's opening listing alone, and that listing with the extraction
                  that follows it (from the tar it kept), for this build and a --baseline one
  RAR:            unar; lsar -j (what quendle's listing runs); lsar without -j (names only);
                  lsar -v (the program's start-up alone)

The archives are the ones expand_bench.py builds (its work folder's archives/).

Example:
  bench/pieces.py --archives /var/tmp/quendle-bench/archives --runs 5
"""

import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time


def measure(commands, folder, runs):
    out = os.path.join(folder, "out")
    seconds = {name: [] for name in commands}
    for _ in range(runs):
        for name, command in commands.items():
            shutil.rmtree(out, ignore_errors=True)
            os.mkdir(out)
            started = time.perf_counter()
            subprocess.run(command.format(out=out, folder=folder), shell=True, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
            seconds[name].append(time.perf_counter() - started)
    reference = statistics.median(next(iter(seconds.values())))
    for name, values in seconds.items():
        median = statistics.median(values)
        print("  %-40s %7.3f s  %5.2f" % (name, median, median / reference))


def adapter_pieces(args):
    """The adapter's listing, and its listing and extraction as Quendle runs them one after the
    other (the same parent, so that the extraction takes the tar the listing kept)."""
    pieces = {}
    for label, build in (("", args.build), (" (baseline)", args.baseline)):
        adapter = build and os.path.join(build, "share", "quendle", ".utility", "7z")
        if not adapter or not os.path.exists(adapter):
            continue
        run = "XDG_CACHE_HOME={folder}/cache '%s'" % adapter
        pieces["adapter l -slt" + label] = run + " l {folder}/20k.tar.gz -slt; rm -rf {folder}/cache"
        pieces["adapter l -slt, then x" + label] = (run + " l {folder}/20k.tar.gz -slt >/dev/null && " + run
                                                    + " x {folder}/20k.tar.gz -o{out} -aoa; rm -rf {folder}/cache")
    return pieces


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--archives", default="/var/tmp/quendle-bench/archives")
    parser.add_argument("--work", default="/dev/shm", help="where to expand (default: tmpfs)")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--build", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build"),
                        help="build folder whose adapter is timed (default: build/)")
    parser.add_argument("--baseline", help="another build folder whose adapter is timed beside this one's")
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="pieces-", dir=args.work)
    try:
        tar_gz = os.path.join(args.archives, "20k.tar.gz")
        if os.path.exists(tar_gz):
            shutil.copy(tar_gz, os.path.join(folder, "20k.tar.gz"))
            subprocess.run("gzip -dc '%s/20k.tar.gz' > '%s/20k.tar'" % (folder, folder), shell=True, check=True)
            print("20,000 small files, .tar.gz: median of %d, ratio to GNU tar xzf" % args.runs)
            measure({
                "GNU tar xzf": "tar -C {out} -xzf {folder}/20k.tar.gz",
                "gzip -dc alone": "gzip -dc {folder}/20k.tar.gz",
                "7zz x -so alone": "7zz x -so {folder}/20k.tar.gz",
                "7zz l -slt -si -ttar of the .tar": "7zz l -slt -si -ttar < {folder}/20k.tar",
                "7zz x -si -ttar of the .tar": "7zz x -si -ttar -o{out} -aoa < {folder}/20k.tar",
                "GNU tar xf of the .tar": "tar -C {out} -xf {folder}/20k.tar",
                "7zz x -so | 7zz x -si -ttar": "7zz x -so {folder}/20k.tar.gz | 7zz x -si -ttar -o{out} -aoa",
                **adapter_pieces(args),
            }, folder, args.runs)
        rar = os.path.join(args.archives, "rar.rar")
        if os.path.exists(rar):
            shutil.copy(rar, os.path.join(folder, "rar.rar"))
            print("RAR of 1,000 files: median of %d, ratio to unar" % args.runs)
            measure({
                "unar": "unar -q -f -o {out} {folder}/rar.rar",
                "lsar -j -nr": "lsar -j -nr {folder}/rar.rar",
                "lsar -nr (names only)": "lsar -nr {folder}/rar.rar",
                "lsar -v (start-up)": "lsar -v",
            }, folder, args.runs)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
