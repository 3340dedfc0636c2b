#!/usr/bin/env bash
# Builds the Debian package and checks it the way a user gets it: lintian, an
# install with apt-get into the system paths, the installed programs run from
# outside the source tree (version, a one-shot capture and D-Bus activation on
# a private X server, the data they find), the desktop, AppStream and manual
# page files validated, then a purge that must take every installed file.
# Needs root. Usage: tests/package/check-package.sh [BUILD_DIR]
# (BUILD_DIR as for scripts/package.sh; scripts/test.sh passes its build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() {
  echo "check-package: FAILED: $*" >&2
  exit 1
}
step() { echo "-- $*"; }
[ "$(id -u)" -eq 0 ] || fail "run as root: the package is installed into the system"

deb=$("$root/scripts/package.sh" "${1:-build-package}" | tail -n 1)
[ -f "$deb" ] || fail "no package built"
version=$(dpkg-deb -f "$deb" Version)
[[ $(basename "$deb") == "clipvane_${version}_amd64.deb" ]] || fail "package name $(basename "$deb")"

work=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" = 1 ]; then apt-get remove --purge -y -qq clipvane >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
# From here on nothing may come from the source or build tree.
cd "$work"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data \
  XDG_STATE_HOME=$work/home/state XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

step "lintian $(basename "$deb")"
lintian --fail-on error "$deb" 2>/dev/null | tee lintian.log || fail "lintian reports errors"
[ -s lintian.log ] || echo "(no errors or warnings)"

step "apt-get install"
# Every file the package holds, to check after the purge.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's#^\./#/#' -e 's#/$##' | grep -v '^/*$' > files.txt
installed=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >apt.log 2>&1 || { cat apt.log; fail "apt-get install"; }

step "programs"
[ "$(command -v clipvane)" = /usr/bin/clipvane ] || fail "clipvane is not /usr/bin/clipvane"
[ "$(clipvane --version)" = "Clipvane V$version" ] || fail "clipvane --version says '$(clipvane --version)'"
[ "$(clipvane-image --version)" = "clipvane-image $version" ] || fail "clipvane-image --version"
clipvane --help | grep -q -- '--shot MODE --output FILE' || fail "clipvane --help"
clipvane-image --help | grep -q 'convert IN OUT' || fail "clipvane-image --help"
for size in 16 22 24 32 48 64 128 256; do
  info=$(clipvane-image info "/usr/share/icons/hicolor/${size}x${size}/apps/clipvane.png") || fail "icon $size"
  [[ $info == "${size}x${size} "* ]] || fail "icon ${size}x${size} is $info"
done

step "desktop file"
desktop=/usr/share/applications/clipvane.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
for mode in full window region active scroll fixed; do
  grep -qx "Exec=clipvane --capture $mode" "$desktop" || fail "no desktop action for --capture $mode"
done

step "AppStream metainfo"
metainfo=/usr/share/metainfo/org.clipvane.Clipvane.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo release is not $version"

step "manual pages"
for page in clipvane clipvane-image; do
  [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page"
  MANWIDTH=80 man --warnings -l "/usr/share/man/man1/$page.1.gz" >"$page.txt" 2>"$page.warn" || fail "man -l $page"
  [ ! -s "$page.warn" ] || { cat "$page.warn"; fail "groff warns on $page(1)"; }
  grep -q "^NAME" "$page.txt" && grep -Eq "^ +$page +- " "$page.txt" || fail "$page(1) has no NAME"
done
grep -q -- '--shot MODE --output FILE' clipvane.txt || fail "clipvane(1) lacks --shot"

step "capture and D-Bus activation on a private X server"
cat >x-session.sh <<'SESSION'
set -euo pipefail
clipvane --shot full --output shot.png
info=$(clipvane-image info shot.png)
[[ $info == "1280x800 "* ]] || { echo "shot.png is $info"; exit 1; }
echo "one-shot capture: $info"
# A bus of its own where no Clipvane runs: the first call starts it.
dbus-run-session -- bash -euo pipefail -c '
  call() { dbus-send --session --print-reply --reply-timeout=20000 --dest=org.clipvane.Clipvane /Clipvane \
    "org.clipvane.Clipvane.$@"; }
  call ActiveDocumentInfo | grep -q "string \"\"" || { echo "no answer from an activated clipvane"; exit 1; }
  pid=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetConnectionUnixProcessID string:org.clipvane.Clipvane | awk "/uint32/ {print \$2}")
  exe=$(readlink "/proc/$pid/exe")
  echo "activated: pid $pid, $exe"
  [ "$exe" = /usr/bin/clipvane ] || exit 1
  call Command uint32:57600 | grep -q "boolean true" || { echo "Command(File / New) refused"; exit 1; }
  for i in $(seq 50); do
    answer=$(call ActiveDocumentInfo)
    [[ $answer == *size=* ]] && break
    sleep 0.1
  done
  echo "ActiveDocumentInfo:${answer#*string}"
  [[ $answer == *size=* ]] || exit 1
  kill "$pid"
  while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
' 2>bus.log || { cat bus.log; exit 1; }
SESSION
CLIPVANE_TRACE=1 timeout 120 xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" bash x-session.sh ||
  fail "capture or D-Bus activation"
step "installed data found"
grep -F "data: sound /usr/share/clipvane/clipvane.wav; stamps /usr/share/clipvane/stamps" bus.log ||
  { cat bus.log; fail "the activated clipvane did not use the installed sound and stamps"; }
[ ! -e /usr/bin/config.ini ] || fail "clipvane wrote /usr/bin/config.ini"
[ -f "$XDG_CONFIG_HOME/clipvane/config.ini" ] || fail "no config.ini in \$XDG_CONFIG_HOME"

step "apt-get remove --purge"
DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq clipvane >apt.log 2>&1 || { cat apt.log; fail "purge"; }
installed=0
! dpkg -s clipvane >/dev/null 2>&1 || fail "clipvane still known to dpkg"
left=0
while read -r path; do
  case "$path" in
  */clipvane* | */org.clipvane.*) [ ! -e "$path" ] || { echo "left behind: $path"; left=1; } ;;
  *) [ -d "$path" ] || [ ! -e "$path" ] || { echo "left behind: $path"; left=1; } ;;
  esac
done <files.txt
[ "$left" = 0 ] || fail "files left after the purge"
echo "check-package: package $version installs, runs and removes cleanly ($(wc -l <files.txt) paths)"
