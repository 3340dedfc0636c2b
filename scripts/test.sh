#!/usr/bin/env bash
# Builds everything and runs every test: the full build (unit, X server and
# end-to-end tests), the unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${CLIPVANE_FUZZ_SECONDS:-15}

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

echo "== sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCLIPVANE_SANITIZE=ON \
  -DCLIPVANE_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"

echo "== fuzz build"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCLIPVANE_FUZZ=ON -DCLIPVANE_UI=OFF -DCLIPVANE_TESTS=OFF -DCLIPVANE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs"

status=0
echo "== tests"
(cd build && ctest --output-on-failure -j "$jobs") || status=1

echo "== tests under sanitizers"
# Every unit test; the end-to-end tests drive whole processes and run once above.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j "$jobs" -LE e2e) || status=1

echo "== fuzz (${fuzz_seconds}s each)"
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds="fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  if "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 "$corpus" >"build-fuzz/$name.log" 2>&1; then
    echo "$name: ok"
  else
    echo "$name: FAILED"; tail -40 "build-fuzz/$name.log"; status=1
  fi
  rm -rf "$corpus"
done

exit $status
