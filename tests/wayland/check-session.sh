#!/usr/bin/env bash
# Run inside wayland-session.sh: the session is usable for the Wayland tests
# when grim can capture its 1920x1080 output through screencopy and the
# screenshot portal answers a non-interactive call.
set -euo pipefail
out=$(mktemp -d "${TMPDIR:-/tmp}/clipvane-check.XXXXXX")
trap 'rm -rf "$out"' EXIT
grim "$out/grim.png"
size=$(file -b "$out/grim.png")
case "$size" in
  *"1920 x 1080"*) ;;
  *) echo "check-session: grim wrote \"$size\", expected a 1920 x 1080 PNG" >&2; exit 1 ;;
esac
handle=$(gdbus call --session --dest org.freedesktop.portal.Desktop --object-path /org/freedesktop/portal/desktop \
  --method org.freedesktop.portal.Screenshot.Screenshot "" "{'handle_token': <'check'>, 'interactive': <false>}")
case "$handle" in
  *"/org/freedesktop/portal/desktop/request/"*check*) ;;
  *) echo "check-session: the screenshot portal answered \"$handle\"" >&2; exit 1 ;;
esac
echo "check-session: grim and the screenshot portal work"
