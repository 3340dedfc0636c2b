#!/usr/bin/env bash
# Builds everything and runs every test: the full build (unit, X server and
# end-to-end tests), the unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Debian package installed, run and removed
# again, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${CLIPVANE_FUZZ_SECONDS:-15}
status=0

# The cheap checks first, so that a wrong include or layout shows at once.
echo "== layers"
# Every include under src/ against the layer table in src/CMakeLists.txt.
python3 scripts/check-layers.py || status=1

echo "== format"
# Every tracked C++ file as clang-format lays it out (.clang-format).
scripts/check-format.sh || status=1

# The three builds are the presets in CMakePresets.json; warnings are errors.
# With ccache present the compilers go through it, with paths taken relative
# to the checkout, so a second clone on the same machine reuses the objects.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD
fi
echo "== build"
cmake --preset default -DCLIPVANE_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build --preset default -j "$jobs"

echo "== sanitizer build"
cmake --preset asan -DCLIPVANE_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build --preset asan -j "$jobs"

echo "== fuzz build"
cmake --preset fuzz -DCLIPVANE_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build --preset fuzz -j "$jobs"

echo "== tests"
ctest --preset default -j "$jobs" -LE wayland || status=1

echo "== wayland"
# Capture on a headless sway session with the desktop portals
# (tests/wayland/wayland-session.sh; as root it runs as a user it creates).
ctest --preset default -L wayland --timeout 300 || status=1

echo "== tests under sanitizers"
# Every unit test; the end-to-end tests drive whole processes and run once above.
# The sanitizer options also apply to the fuzz runs below.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --preset asan -j "$jobs" || status=1

echo "== package"
# The Debian package of the default build, installed into this machine's
# system paths, run, validated and purged (tests/package/check-package.sh).
if [ "$(id -u)" -eq 0 ]; then
  tests/package/check-package.sh build || status=1
else
  sudo --preserve-env=PATH tests/package/check-package.sh build || status=1
fi

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
