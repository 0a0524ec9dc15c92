# The Debian 12 packages Quendle's scripts install, in one list by purpose. Sourced by
# scripts/setup.sh, scripts/ci-extra.sh and scripts/package-check.sh; not run on its own.

# To build the program and the tests; lupdate and lrelease (qt6-l10n-tools, with their CMake
# functions in qt6-tools-dev) build the translations, libuchardet guesses old zips' code pages,
# liblzma unpacks a 7z archive's header for the adapter's fast listing (and its CRC-32 checks
# the 7z and RAR headers).
build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev nlohmann-json3-dev
                libuchardet-dev liblzma-dev ccache qt6-tools-dev qt6-l10n-tools)
# What Quendle runs: 7-Zip behind the adapter, lsar/unar for RAR and StuffIt, Qt's SVG
# image plugin for the window icon, and Qt's own translations (its dialogs, --help).
run_packages=(7zip unar libqt6svg6 qt6-translations-l10n)
# What the tests run besides Quendle: a private session bus, gio with the gvfs module that gives
# it trash:// (the desktop's view of the Trash), Python for the archive makers, the compressors
# of the compressed tars, and the validators of the desktop entry and of the AppStream metadata.
test_packages=(dbus dbus-bin dbus-daemon gvfs gvfs-daemons libglib2.0-bin python3 xz-utils bzip2 zstd
               ncompress desktop-file-utils appstream)
# Building the Debian package (dpkg-shlibdeps finds its dependencies, with file) and checking it.
package_packages=(dpkg-dev file lintian appstream desktop-file-utils)
# The fuzz targets: clang and its libFuzzer runtime.
fuzz_packages=(clang-14 libclang-rt-14-dev)

# install_missing PACKAGE...: installs those that are not installed yet, as root or through sudo.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Builds go through ccache, so that building again (the sanitizer trees, a second checkout of
# the same sources) compiles only what changed. Paths below the checkout count as relative, so
# checkouts in different folders share what they compiled.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
fi
