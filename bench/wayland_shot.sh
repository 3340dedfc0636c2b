#!/usr/bin/env bash
# Full-screen grabs on a headless sway session (1920 x 1080), whole processes
# side by side: `clipvane --shot full --output F.png` through wlr-screencopy
# and through the screenshot portal (CLIPVANE_PLATFORM=portal), against
# `grim F.png` writing the same kind of PNG. The screen shows a busy picture
# (tests/wayland/clients/colour_window.cpp, "busy"), full screen. Runs are
# interleaved, each round every command in turn; the table shows the median
# wall time, CPU time and peak memory (/usr/bin/time) and the ratios
# Clipvane / grim (below 1.0: Clipvane is faster or smaller), and the PNG
# sizes.
#
#   bench/wayland_shot.sh [BUILD_DIR] [RUNS]     (defaults: build, 15)
#
# Starts its own session through tests/wayland/wayland-session.sh (as root
# it runs as the user that script creates); needs GNU time.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
runs=${2:-15}

if [ -z "${CLIPVANE_IN_WAYLAND_BENCH:-}" ]; then
  [[ -x /usr/bin/time ]] || { echo "wayland_shot.sh: /usr/bin/time (GNU time) is missing" >&2; exit 2; }
  for f in clipvane clipvane-image tests/wayland_colour_window; do
    [[ -x $build/$f ]] || { echo "wayland_shot.sh: $build/$f is missing" >&2; exit 2; }
  done
  export CLIPVANE_IN_WAYLAND_BENCH=1 CLIPVANE_BENCH_BUILD=$build CLIPVANE_BENCH_RUNS=$runs
  exec "$here/tests/wayland/wayland-session.sh" "$here/bench/wayland_shot.sh"
fi

build=$CLIPVANE_BENCH_BUILD
runs=$CLIPVANE_BENCH_RUNS
work=$(mktemp -d "$XDG_RUNTIME_DIR/bench.XXXXXX")
QT_QPA_PLATFORM=wayland "$build/tests/wayland_colour_window" busy >"$work/client.out" &
client=$!
trap 'kill $client 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do grep -q ready "$work/client.out" && break; sleep 0.1; done
grep -q ready "$work/client.out" || { echo "wayland_shot.sh: the picture did not show" >&2; exit 1; }

names=(screencopy portal grim)
run() {
  case $1 in
    screencopy) CLIPVANE_PLATFORM=wayland "$build/clipvane" --shot full --output "$work/screencopy.png" ;;
    portal) CLIPVANE_PLATFORM=portal "$build/clipvane" --shot full --output "$work/portal.png" ;;
    grim) grim "$work/grim.png" ;;
  esac
}
for n in "${names[@]}"; do run "$n"; done  # warm-up
for ((i = 0; i < runs; i++)); do
  for n in "${names[@]}"; do
    /usr/bin/time -f '%e %U %S %M' -a -o "$work/$n.times" bash -c "$(declare -f run); build='$build' work='$work' run $n"
  done
done

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
declare -A wall cpu mem
for n in "${names[@]}"; do
  wall[$n]=$(awk '{print $1}' "$work/$n.times" | median)
  cpu[$n]=$(awk '{print $2 + $3}' "$work/$n.times" | median)
  mem[$n]=$(awk '{print $4 / 1024}' "$work/$n.times" | median)
done
echo "1920x1080 full-screen grab to PNG, $runs interleaved runs each, medians (load: $(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-12s %9s %9s %9s %11s %9s %9s\n' command wall_s cpu_s peak_MiB png_bytes wall/grim cpu/grim
for n in "${names[@]}"; do
  printf '%-12s %9.3f %9.3f %9.1f %11d %9.2f %9.2f\n' "$n" "${wall[$n]}" "${cpu[$n]}" "${mem[$n]}" \
    "$(stat -c %s "$work/$n.png")" "$(echo "${wall[$n]} / ${wall[grim]}" | bc -l)" \
    "$(echo "${cpu[$n]} / ${cpu[grim]}" | bc -l)"
done
# The same pixels as grim's, or the comparison is void.
for n in screencopy portal; do
  same=no
  [ "$("$build/clipvane-image" info "$work/$n.png" | cut -d' ' -f3)" = \
    "$("$build/clipvane-image" info "$work/grim.png" | cut -d' ' -f3)" ] && same=yes
  echo "$n pixels identical to grim's: $same"
done
