#!/usr/bin/env bash
# CI after the README's test command: the sanitizer builds with their tests, and a short run of
# each fuzz target. Run from a checkout; everything is built beside build/ (build-asan/,
# build-tsan/, build-fuzz/).
#   scripts/ci-extra.sh                    all three
#   scripts/ci-extra.sh asan|tsan|fuzz...  only those
# QUENDLE_FUZZ_SECONDS sets the length of each fuzz run (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

parts=("$@")
((${#parts[@]})) || parts=(asan tsan fuzz)
fuzz_seconds=${QUENDLE_FUZZ_SECONDS:-60}

source scripts/packages.sh
# The fuzz targets need clang and its libFuzzer runtime, which the set-up script does not install.
if [[ " ${parts[*]} " == *" fuzz "* ]]; then
  install_missing "${fuzz_packages[@]}"
fi

section() {
  echo
  echo "== $* ($(date +%T))"
}

for part in "${parts[@]}"; do
  start=$SECONDS
  case "$part" in
    asan|tsan)
      section "$part: configure, build, test"
      cmake --preset "$part" >/dev/null
      cmake --build --preset "$part"
      # The measuring tests (label "long") run once, in the plain build.
      ctest --preset "$part" -j2 -LE long
      ;;
    fuzz)
      section "fuzz: configure, build, ${fuzz_seconds} s per target"
      cmake --preset fuzz >/dev/null
      cmake --build --preset fuzz
      for target in listing prefs trash_names zip_directory seven_zip_headers tar_headers rar_headers; do
        # libFuzzer adds what it finds to the corpus folder: it works on a copy, so the
        # repository's seeds stay as they are.
        corpus=$(mktemp -d)
        cp fuzz/corpus/"$target"/* "$corpus"/
        options=(-max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                 -artifact_prefix=build-fuzz/"$target"-)
        [ -f fuzz/"$target".dict ] && options+=(-dict=fuzz/"$target".dict)
        echo "-- fuzz_$target"
        if ! build-fuzz/fuzz/fuzz_"$target" "${options[@]}" "$corpus" 2>build-fuzz/fuzz_"$target".log; then
          tail -n 60 build-fuzz/fuzz_"$target".log
          echo "fuzz_$target failed; the input is in build-fuzz/ (run the target on it to see it again)" >&2
          rm -rf "$corpus"
          exit 1
        fi
        grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' build-fuzz/fuzz_"$target".log || true
        rm -rf "$corpus"
      done
      ;;
    *)
      echo "usage: $0 [asan] [tsan] [fuzz]" >&2
      exit 2
      ;;
  esac
  echo "== $part took $((SECONDS - start)) s"
done
