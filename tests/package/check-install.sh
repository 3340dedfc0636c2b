#!/usr/bin/env bash
# cmake --install into a temporary prefix: every file of the install layout is
# there, the D-Bus service file starts that prefix's program, and the manual
# pages are what the installed programs say about themselves.
# Usage: tests/package/check-install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
  echo "check-install: FAILED: $*" >&2
  exit 1
}
cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
  bin/clipvane bin/clipvane-image
  share/clipvane/clipvane.wav share/clipvane/stamps/tick.png
  share/applications/clipvane.desktop
  share/icons/hicolor/scalable/apps/clipvane.svg
  share/metainfo/org.clipvane.Clipvane.metainfo.xml
  share/dbus-1/services/org.clipvane.Clipvane.service
  share/man/man1/clipvane.1.gz share/man/man1/clipvane-image.1.gz
  share/doc/clipvane/copyright share/doc/clipvane/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/clipvane.png"); done
for path in "${expected[@]}"; do [ -f "$prefix/$path" ] || fail "no $path"; done
# Nothing beyond the layout (a stray build file, a folder left unnamed here).
extra=$(cd "$prefix" && find . -type f | sed 's#^\./##' | sort | comm -23 - <(printf '%s\n' "${expected[@]}" | sort) |
  grep -v '^share/clipvane/stamps/[a-z0-9]*\.png$' || true)
[ -z "$extra" ] || fail "unexpected files: $extra"

grep -qx "Exec=$prefix/bin/clipvane" "$prefix/share/dbus-1/services/org.clipvane.Clipvane.service" ||
  fail "the service file does not start $prefix/bin/clipvane"
version=$("$prefix/bin/clipvane-image" --version) || fail "clipvane-image --version"
grep -q "<release version=\"${version#clipvane-image }\"" "$prefix/share/metainfo/org.clipvane.Clipvane.metainfo.xml" ||
  fail "the metainfo release is not ${version#clipvane-image }"
for program in clipvane clipvane-image; do
  cmp -s <(gzip -dc "$prefix/share/man/man1/$program.1.gz") <("$prefix/bin/$program" --help-man) ||
    fail "$program.1 differs from $program --help-man"
done
echo "check-install: the install layout is complete ($(find "$prefix" -type f | wc -l) files)"
