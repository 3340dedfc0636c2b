#!/usr/bin/env bash
# Whole processes side by side: clipvane-image apply against vips on a
# 4000 x 3000 PNG, for invert, greyscale, 3 x 3 blur, rotate 90 and a
# half-size resize. Each run loads the PNG, applies the operation and writes
# a PNG, as a user's script would. Runs are interleaved (each round runs every
# operation with every tool, the tools in turn first), and the table shows
# medians of the wall time and of the peak resident memory (/usr/bin/time -v),
# with the ratios Clipvane / vips (below 1.0 means Clipvane is faster or
# smaller). Clipvane also runs with one effect thread (--threads 1), so the
# gain from the threads shows.
#
#   bench/whole_process.sh [BUILD_DIR] [RUNS]     (defaults: build, 10)
#
# Needs vips (Debian: libvips-tools), GNU time (/usr/bin/time) and
# ImageMagick's convert to make the input.
set -euo pipefail

build=${1:-build}
runs=${2:-10}
tool=$build/clipvane-image

for need in vips convert; do
  command -v "$need" >/dev/null || { echo "whole_process.sh: $need is missing" >&2; exit 2; }
done
[[ -x /usr/bin/time ]] || { echo "whole_process.sh: /usr/bin/time (GNU time) is missing" >&2; exit 2; }
[[ -x $tool ]] || { echo "whole_process.sh: $tool is missing (cmake --build $build --target clipvane-image)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A photo-like input: plasma clouds with fine detail, stored as 24-bit RGB.
convert -size 4000x3000 -seed 18 plasma:fractal -depth 8 "PNG24:$work/in.png"
printf '3 3 16 0\n1 2 1\n2 4 2\n1 2 1\n' >"$work/blur.mat"

ops=(invert grey blur3x3 rotate90 half)
declare -A clip vipsargs
clip[invert]=20020
clip[grey]=20019
clip[blur3x3]=20042
clip[rotate90]=20004
clip[half]=20009:2000,1500,1
vipsargs[invert]="invert $work/in.png $work/out.png"
vipsargs[grey]="colourspace $work/in.png $work/out.png b-w"
vipsargs[blur3x3]="conv $work/in.png $work/out.png $work/blur.mat --precision integer"
vipsargs[rotate90]="rot $work/in.png $work/out.png d90"
vipsargs[half]="resize $work/in.png $work/out.png 0.5 --kernel linear"
tools=(clipvane clipvane-1t vips)

# Runs one tool on one operation; appends "milliseconds kibibytes" to its log.
measure() {
  local op=$1 who=$2 cmd start end
  case $who in
    clipvane) cmd=("$tool" apply "${clip[$op]}" "$work/in.png" "$work/out.png") ;;
    clipvane-1t) cmd=("$tool" apply --threads 1 "${clip[$op]}" "$work/in.png" "$work/out.png") ;;
    vips) read -r -a cmd <<<"vips ${vipsargs[$op]}" ;;
  esac
  start=$(date +%s%N)
  /usr/bin/time -v -o "$work/time.txt" "${cmd[@]}" >/dev/null
  end=$(date +%s%N)
  local kib
  kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  echo "$(((end - start) / 1000000)) $kib" >>"$work/$op.$who"
  stat -c %s "$work/out.png" >"$work/$op.$who.size"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

echo "processors: $(nproc), load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "input: 4000 x 3000 PNG, $(stat -c %s "$work/in.png") bytes; $runs runs each"
for ((r = 0; r < runs; r++)); do
  for op in "${ops[@]}"; do
    # Rotate which tool goes first, so that none always runs on a warm cache.
    for ((t = 0; t < ${#tools[@]}; t++)); do
      measure "$op" "${tools[$(((t + r) % ${#tools[@]}))]}"
    done
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

printf '%-9s %10s %10s %10s %7s %8s %9s %9s %7s %11s %11s\n' operation "ours ms" "ours 1t ms" "vips ms" ratio \
  "1t/ours" "ours MiB" "vips MiB" "mem" "ours bytes" "vips bytes"
for op in "${ops[@]}"; do
  declare -A ms mib
  for who in "${tools[@]}"; do
    ms[$who]=$(cut -d' ' -f1 "$work/$op.$who" | median)
    mib[$who]=$(cut -d' ' -f2 "$work/$op.$who" | median | awk '{printf "%.0f", $1 / 1024}')
  done
  awk -v op="$op" -v a="${ms[clipvane]}" -v a1="${ms[clipvane-1t]}" -v b="${ms[vips]}" \
    -v ma="${mib[clipvane]}" -v mb="${mib[vips]}" -v sa="$(cat "$work/$op.clipvane.size")" \
    -v sb="$(cat "$work/$op.vips.size")" 'BEGIN {
      printf "%-9s %10.0f %10.0f %10.0f %6.2fx %7.2fx %9d %9d %6.2fx %11d %11d\n",
        op, a, a1, b, a / b, a1 / a, ma, mb, ma / mb, sa, sb }'
done
