#!/usr/bin/env bash
# Runs a command inside a private headless Wayland desktop: a D-Bus session
# bus, PipeWire, sway on the headless backend with one 1920x1080 output, and
# xdg-desktop-portal with its wlr and gtk backends, the screenshot permission
# already granted so no dialog asks. Everything is torn down when the command
# ends; the command's exit status is the script's.
#
#   tests/wayland/wayland-session.sh COMMAND [ARG...]
#
# sway refuses to run as root: run as root (as CI does), the script creates
# the unprivileged user clipvane-wayland when needed and runs the session and
# the command as that user. The command then sees WAYLAND_DISPLAY,
# XDG_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS, SWAYSOCK and
# CLIPVANE_WAYLAND_CLIENT_RULE_APP_ID (the app id that sway places, see the
# config below) in its environment.
set -euo pipefail

[ $# -ge 1 ] || {
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
}

user=clipvane-wayland
if [ "$(id -u)" -eq 0 ]; then
  if ! id "$user" >/dev/null 2>&1; then
    useradd --system --create-home --home-dir "/var/lib/$user" --shell /usr/sbin/nologin "$user"
  fi
  # The user must reach this script, the command and the build and source
  # trees. A tree below a closed folder (a clone under /root, say) is opened
  # to this user alone: an access-list entry that lets it pass through each
  # closed folder on the way, nothing more.
  as_user() { setpriv --reuid="$user" --regid="$user" --init-groups -- "$@"; }
  for path in "$0" "$(command -v "$1" || true)" "${CLIPVANE_BINARY_DIR:-}" "${CLIPVANE_SOURCE_DIR:-}"; do
    [ -n "$path" ] || continue
    dir=$(dirname "$(readlink -f "$path")")
    [ -d "$path" ] && dir=$(readlink -f "$path")
    walk=""
    IFS=/ read -ra parts <<<"${dir#/}"
    for part in "${parts[@]}"; do
      walk="$walk/$part"
      if ! as_user test -x "$walk" 2>/dev/null; then
        setfacl -m "u:$user:x" "$walk" 2>/dev/null || break
      fi
    done
  done
  # Still closed (no access lists here): say so rather than fail inside.
  if ! setpriv --reuid="$user" --regid="$user" --init-groups -- test -x "$(command -v "$1")"; then
    echo "wayland-session: $user cannot run $1; a folder on the way is closed to it and could not be opened (setfacl, package acl)" >&2
    exit 1
  fi
  # Keep the caller's environment (build paths, test filters); the session's
  # own variables are set below for the user.
  exec setpriv --reuid="$user" --regid="$user" --init-groups --reset-env -- \
    env $(env | grep -E '^(CLIPVANE_|GTEST_|PATH=|LANG=|LC_ALL=|TMPDIR=)' | tr '\n' ' ') \
    HOME="/var/lib/$user" USER="$user" "$0" "$@"
fi

for tool in dbus-daemon sway swaymsg pipewire /usr/libexec/xdg-desktop-portal /usr/libexec/xdg-desktop-portal-wlr \
  /usr/libexec/xdg-desktop-portal-gtk; do
  command -v "$tool" >/dev/null || {
    echo "wayland-session: $tool is missing (scripts/install-deps.sh installs it)" >&2
    exit 77
  }
done

base=$(mktemp -d "${TMPDIR:-/tmp}/clipvane-wayland.XXXXXX")
chmod 700 "$base"
export XDG_RUNTIME_DIR=$base/runtime
export XDG_CONFIG_HOME=$base/config
export XDG_DATA_HOME=$base/data
export XDG_STATE_HOME=$base/state
export XDG_CACHE_HOME=$base/cache
mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME"
export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
log=$base/log
mkdir -p "$log"

pids=()
cleanup() {
  local status=$?
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  sleep 0.2
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -9 "${pids[i]}" 2>/dev/null || true; done
  if [ "$status" -ne 0 ] && [ -n "${CLIPVANE_WAYLAND_LOGS:-}" ]; then tail -n 30 "$log"/*.log >&2 || true; fi
  rm -rf "$base"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Waits up to 10 s for a command to succeed.
wait_for() {
  local what=$1
  shift
  for _ in $(seq 100); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "wayland-session: $what did not come up; its log:" >&2
  tail -n 30 "$log/$what.log" >&2 || true
  return 1
}

dbus-daemon --session --nofork --nopidfile --address="unix:path=$XDG_RUNTIME_DIR/bus" >"$log/dbus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
wait_for dbus test -S "$XDG_RUNTIME_DIR/bus"

pipewire >"$log/pipewire.log" 2>&1 &
pids+=($!)

# The client app id that sway floats without a border at (300, 200): the
# tests' coloured window. Clipvane's own windows keep sway's defaults.
export CLIPVANE_WAYLAND_CLIENT_RULE_APP_ID=clipvane-test-colour
mkdir -p "$XDG_CONFIG_HOME/sway"
cat >"$XDG_CONFIG_HOME/sway/config" <<EOF
output HEADLESS-1 resolution 1920x1080 position 0 0 bg #203040 solid_color
default_border none
default_floating_border none
focus_follows_mouse no
# The headless output draws the pointer into its pixels, and screencopy
# then shows it: hide it when it rests, so a grab after pointer input shows
# only windows.
seat seat0 hide_cursor 100
for_window [app_id="$CLIPVANE_WAYLAND_CLIENT_RULE_APP_ID"] floating enable, move position 300 200
EOF
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=1 \
  sway --config "$XDG_CONFIG_HOME/sway/config" >"$log/sway.log" 2>&1 &
pids+=($!)
sway_pid=$!
find_sway() {
  local sock
  sock=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n1)
  [ -n "$sock" ] && SWAYSOCK=$sock swaymsg -t get_outputs >/dev/null
}
wait_for sway find_sway
export SWAYSOCK
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n1)
export WAYLAND_DISPLAY
WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-* | grep -v '\.lock$' | head -n1)
# A virtual pointer for the synthetic input of region captures (sway's seat
# cursor commands need a pointer on the seat).
swaymsg -q "seat seat0 fallback true" || true

/usr/libexec/xdg-desktop-portal-wlr >"$log/portal-wlr.log" 2>&1 &
pids+=($!)
/usr/libexec/xdg-desktop-portal-gtk >"$log/portal-gtk.log" 2>&1 &
pids+=($!)
wait_for portal-wlr gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.GetNameOwner org.freedesktop.impl.portal.desktop.wlr
/usr/libexec/xdg-desktop-portal -r >"$log/portal.log" 2>&1 &
pids+=($!)
wait_for portal gdbus call --session --dest org.freedesktop.portal.Desktop \
  --object-path /org/freedesktop/portal/desktop --method org.freedesktop.DBus.Properties.Get \
  org.freedesktop.portal.Screenshot version

# Programs outside a sandbox have the empty app id; granting it the
# screenshot permission lets a non-interactive Screenshot call through
# without the access dialog.
gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore \
  --object-path /org/freedesktop/impl/portal/PermissionStore \
  --method org.freedesktop.impl.portal.PermissionStore.SetPermission \
  screenshot true screenshot '' "['yes']" >/dev/null

kill -0 "$sway_pid"
set +e
"$@"
status=$?
set -e
exit "$status"
