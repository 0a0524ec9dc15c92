#!/usr/bin/env bash
# Installs what Quendle needs on Debian 12, builds it, then expands an archive or runs the tests.
#   scripts/setup.sh run [ARCHIVE]   build, then expand ARCHIVE (a copy of the bundled sample by default)
#   scripts/setup.sh test            build, then run every test
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libqt6svg6 libgl-dev libgtest-dev libgmock-dev
          7zip dbus dbus-bin gvfs-daemons libglib2.0-bin python3 xz-utils bzip2 zstd unar ncompress)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset default >/dev/null
cmake --build --preset default

case "$mode" in
  run)
    archive=${2:-}
    if [ -z "$archive" ]; then
      work=$(mktemp -d)
      cp samples/sample.zip "$work/"
      archive="$work/sample.zip"
    fi
    # Without a display Quendle runs on Qt's offscreen platform and answers on the terminal.
    build/bin/quendle "$archive"
    echo "Expanded $archive into $(dirname "$archive"):"
    ls -la "$(dirname "$archive")"
    ;;
  test)
    ctest --preset default -j2
    ;;
  *)
    echo "usage: $0 run [ARCHIVE] | test" >&2
    exit 2
    ;;
esac
