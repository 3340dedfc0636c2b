#!/usr/bin/env bash
# Builds the Debian package clipvane_<version>_amd64.deb with CPack and prints
# its path. By default in its own build folder, build-package (the program and
# its data only); given an existing build folder (scripts/test.sh passes its
# build), packages what was built there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

dir=${1:-build-package}
if [ ! -f "$dir/CMakeCache.txt" ]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLIPVANE_WERROR=ON \
    -DCLIPVANE_TESTS=OFF -DCLIPVANE_BENCH=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)"
rm -f "$dir"/package/clipvane_*.deb
# CPack installs into a staging folder as root-owned files (fakeroot is not
# needed: dpkg-deb builds with root ownership), strips the programs and runs
# dpkg-shlibdeps on them for the dependencies.
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$PWD/$dir"/package/clipvane_*_amd64.deb
