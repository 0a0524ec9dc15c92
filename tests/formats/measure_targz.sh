#!/usr/bin/env bash
# Times the expansion of a 20,000-file .tar.gz through quendle (headless, no file manager) against
# `tar xzf` of the same archive, alternating, and prints the medians of the rounds.
#   tests/formats/measure_targz.sh BUILD_DIR [WORK_FOLDER] [ROUNDS]
# WORK_FOLDER (default: a new folder under /tmp) may be on tmpfs (/dev/shm) to leave the disk out.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d "${2:-/tmp}/quendle-targz.XXXXXX")
rounds=${3:-3}
trap 'rm -rf "$work"' EXIT

python3 - "$work/source" <<'EOF'
import os, random, sys
random.seed(20000)
root = os.path.join(sys.argv[1], "big")
for d in range(200):
    folder = os.path.join(root, f"dir{d:03d}")
    os.makedirs(folder)
    for f in range(100):
        with open(os.path.join(folder, f"file{f:03d}.txt"), "wb") as out:
            if f % 3 == 0:
                out.write(random.randbytes(random.randint(100, 4000)))
            else:
                out.write((f"line {d} {f}\n" * random.randint(10, 200)).encode())
EOF
tar -C "$work/source" -czf "$work/big.tar.gz" big
echo "archive: $(stat -c %s "$work/big.tar.gz") bytes, $(find "$work/source/big" -type f | wc -l) files"

home=$work/home
mkdir -p "$home/home" "$home/config/quendle" "$home/data" "$home/run"
chmod 700 "$home/run"
printf '[General]\nIsRevealInFinder=0\nIsUsedCustomFolder=0\nActionAfterExpanding=0\n' > "$home/config/quendle/quendle.conf"

now() { date +%s.%N; }
quendle_times=()
tar_times=()
for ((i = 1; i <= rounds; i++)); do
  rm -rf "$work/q" "$work/t"
  mkdir "$work/q" "$work/t"
  cp "$work/big.tar.gz" "$work/q/"
  cp "$work/big.tar.gz" "$work/t/"
  sync
  start=$(now)
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$home/home" \
    XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$home/no-bus" "$build/bin/quendle" "$work/q/big.tar.gz" </dev/null 2>/dev/null
  end=$(now)
  quendle_times+=("$(echo "$end - $start" | bc)")
  [ "$(find "$work/q/big" -type f | wc -l)" -eq 20000 ] || { echo "quendle did not expand every file" >&2; exit 1; }
  sync
  start=$(now)
  tar -C "$work/t" -xzf "$work/t/big.tar.gz"
  end=$(now)
  tar_times+=("$(echo "$end - $start" | bc)")
  echo "round $i: quendle ${quendle_times[-1]} s, tar xzf ${tar_times[-1]} s"
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
echo "median: quendle $(median "${quendle_times[@]}") s, tar xzf $(median "${tar_times[@]}") s"
