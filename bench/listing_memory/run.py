#!/usr/bin/env python3
"""Peak memory of listing a large archive through listArchive, next to the size of its listing.

Makes an archive of --entries empty files with the installed 7-Zip (or takes --archive), then
runs the listing_memory driver under /usr/bin/time -v, streamed and, for comparison, with the
whole text read first. Usage: bench/listing_memory/run.py --build build
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile


def make_archive(folder, entries):
    top = os.path.join(folder, "top")
    per_folder = 1000
    for index in range(entries):
        sub = os.path.join(top, "folder%04d" % (index // per_folder))
        if index % per_folder == 0:
            os.makedirs(sub)
        open(os.path.join(sub, "file%06d.txt" % index), "wb").close()
    seven_zip = shutil.which("7zz") or shutil.which("7z") or shutil.which("7za")
    archive = os.path.join(folder, "big.7z")
    subprocess.run([seven_zip, "a", "-mx=1", archive, "top"], cwd=folder, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    return archive


def listing_size(tool, archive):
    size = 0
    with subprocess.Popen([tool, "l", archive, "-slt"], stdout=subprocess.PIPE,
                          stdin=subprocess.DEVNULL) as process:
        while True:
            chunk = process.stdout.read(1 << 16)
            if not chunk:
                break
            size += len(chunk)
    return size


def measure(driver, tool, archive, whole):
    command = ["/usr/bin/time", "-v", driver, tool, archive] + (["--whole"] if whole else [])
    result = subprocess.run(command, capture_output=True, text=True, check=True)
    tree = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr).group(1))
    own = int(re.search(r"own peak RSS \(KiB\): (\d+)", result.stdout).group(1))
    files = int(re.search(r"amountFiles: (-?\d+)", result.stdout).group(1))
    return " ".join(command), tree, own, files


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build", help="build folder")
    parser.add_argument("--entries", type=int, default=200000)
    parser.add_argument("--archive", help="an existing archive to list instead")
    arguments = parser.parse_args()

    driver = os.path.join(arguments.build, "bin", "listing_memory")
    tool = os.path.join(arguments.build, "share", "quendle", ".utility", "7z")
    if not os.path.exists(driver):
        sys.exit("no listing_memory at %s (configure with -DQUENDLE_BUILD_BENCHMARKS=ON, then build the "
                 "listing_memory target)" % driver)
    with tempfile.TemporaryDirectory() as folder:
        archive = arguments.archive or make_archive(folder, arguments.entries)
        text = listing_size(tool, archive)
        print("archive: %s (%d bytes)" % (archive, os.path.getsize(archive)))
        print("listing text: %d bytes (%.1f MiB)" % (text, text / 1048576))
        for whole in (False, True):
            command, tree, own, files = measure(driver, tool, archive, whole)
            print("%s:\n  entries read %d; peak RSS of the driver %d KiB; of the whole process tree "
                  "(driver, adapter, 7-Zip; /usr/bin/time -v) %d KiB"
                  % (command, files, own, tree))
    return 0


if __name__ == "__main__":
    sys.exit(main())
