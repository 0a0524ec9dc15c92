#!/usr/bin/env bash
# Installs what Quendle needs on Debian 12, builds it, then expands an archive or runs the tests.
#   scripts/setup.sh run [ARCHIVE]   build, then expand ARCHIVE (a copy of the bundled sample by default)
#   scripts/setup.sh test            build, then run every test
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
source scripts/packages.sh
case "$mode" in
  run) install_missing "${build_packages[@]}" "${run_packages[@]}" ;;
  test) install_missing "${build_packages[@]}" "${run_packages[@]}" "${test_packages[@]}" ;;
  *)
    echo "usage: $0 run [ARCHIVE] | test" >&2
    exit 2
    ;;
esac

# In CI a warning in Quendle's own code fails the build.
werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake --preset default -DQUENDLE_WERROR=$werror >/dev/null

case "$mode" in
  run)
    # Only the program and its archiver adapter; the tests are built by "test".
    cmake --build --preset default --target quendle quendle_7z_adapter
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
    cmake --build --preset default
    ctest --preset default -j2
    ;;
esac
