#!/usr/bin/env bash
# CI: builds the Debian package with the README's command, checks it with lintian and by its
# contents, then unpacks it into a scratch root and expands the sample with the quendle found
# there (its resources found from its own location, as when installed).
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/packages.sh
install_missing "${build_packages[@]}" "${run_packages[@]}" "${package_packages[@]}"

# After the test command (as in CI) the configured build/ makes the same package without
# compiling again; on its own, the README's one command builds it from scratch.
if [ -f build/CMakeCache.txt ]; then
  where=build
  rm -f build/quendle_*.deb
  cmake --build --preset default --target package
else
  where=build-package
  rm -f build-package/quendle_*.deb
  cmake --workflow --preset package
fi
debs=("$where"/quendle_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package-check: expected one quendle_VERSION_amd64.deb, found: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
echo "== $deb"

# Warnings fail too: the package is clean today and should stay so.
lintian --fail-on error,warning "$deb"

contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
missing=0
for path in ./usr/bin/quendle ./usr/share/quendle/.utility/7z ./usr/libexec/quendle/7z ./usr/share/quendle/bg.png \
            ./usr/share/quendle/quendle.svg ./usr/share/applications/org.quendle.Quendle.desktop \
            ./usr/share/icons/hicolor/scalable/apps/quendle.svg ./usr/share/metainfo/org.quendle.Quendle.metainfo.xml \
            ./usr/share/icons/hicolor/16x16/apps/quendle.png ./usr/share/icons/hicolor/32x32/apps/quendle.png \
            ./usr/share/quendle/translations/quendle_de.qm ./usr/share/quendle/translations/quendle_zh_CN.qm \
            ./usr/share/man/man1/quendle.1.gz ./usr/share/doc/quendle/copyright ./usr/share/doc/quendle/changelog.gz \
            ./usr/libexec/quendle/quendle-expand-each ./usr/libexec/thunar-archive-plugin/org.quendle.Quendle.tap \
            ./usr/share/kio/servicemenus/quendle-expand.desktop ./usr/share/nemo/actions/quendle-expand.nemo_action \
            ./usr/share/nautilus-python/extensions/quendle-expand.py; do
  grep -qxF "$path" <<<"$contents" || { echo "package-check: $path is not in the package" >&2; missing=1; }
done
((missing == 0))

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch/root"
mkdir -p "$scratch/home" "$scratch/config" "$scratch/data" "$scratch/cache" "$scratch/runtime" "$scratch/work"
chmod 700 "$scratch/runtime"
cp samples/sample.zip "$scratch/work/"
# Nothing of the build tree or of this user: a fresh user of the unpacked package.
env -u QUENDLE_RESOURCE_PATH -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$scratch/home" \
  XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_CACHE_HOME="$scratch/cache" \
  XDG_RUNTIME_DIR="$scratch/runtime" "$scratch/root/usr/bin/quendle" "$scratch/work/sample.zip" </dev/null
for file in sample/README.txt sample/docs/notes.txt; do
  [ -s "$scratch/work/$file" ] || { echo "package-check: the unpacked quendle did not expand $file" >&2; exit 1; }
done
# The file managers' entries run the installed helper (not the build tree's), Thunar's link
# leads to it, and the helper expands two archives one after another with the quendle beside it.
helper=/usr/libexec/quendle/quendle-expand-each
for menu in usr/share/kio/servicemenus/quendle-expand.desktop usr/share/nemo/actions/quendle-expand.nemo_action \
            usr/share/nautilus-python/extensions/quendle-expand.py; do
  grep -qF "$helper" "$scratch/root/$menu" || { echo "package-check: /$menu does not run $helper" >&2; exit 1; }
done
[ "$(readlink -f "$scratch/root/usr/libexec/thunar-archive-plugin/org.quendle.Quendle.tap")" = "$scratch/root$helper" ] \
  || { echo "package-check: the Thunar .tap does not lead to $helper" >&2; exit 1; }
mkdir -p "$scratch/each/first" "$scratch/each/second"
cp samples/sample.zip "$scratch/each/first/"
cp samples/sample.zip "$scratch/each/second/"
mkdir -p "$scratch/config/quendle"
printf '[General]\nIsUsedCustomFolder=0\nIsRevealInFinder=0\nActionAfterExpanding=0\n' >"$scratch/config/quendle/quendle.conf"
env -u QUENDLE_RESOURCE_PATH -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$scratch/home" \
  XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_CACHE_HOME="$scratch/cache" \
  XDG_RUNTIME_DIR="$scratch/runtime" "$scratch/root$helper" "$scratch/each/first/sample.zip" "file://$scratch/each/second/sample.zip" </dev/null
for folder in first second; do
  [ -s "$scratch/each/$folder/sample/README.txt" ] \
    || { echo "package-check: the unpacked helper did not expand $folder/sample.zip" >&2; exit 1; }
done
# The program names the package's version: both come from the one version in CMakeLists.txt.
version=$(dpkg-deb --field "$deb" Version)
said=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" \
  "$scratch/root/usr/bin/quendle" --version)
[ "$said" = "quendle $version" ] || { echo "package-check: quendle --version says \"$said\", the package is $version" >&2; exit 1; }
echo "package-check: $deb is clean, holds its files, its quendle expanded the sample and says version $version"
