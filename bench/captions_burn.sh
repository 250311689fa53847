#!/usr/bin/env bash
# What burning captions in costs each engine: the same 10 s of the 30-second
# 1080p30 source exported as a 9:16 clip at 1080, once with captions (a
# two-line cue every 2 s, drawn by libavfilter's ass filter) and once
# without, through the fast path and through the composition. The captioned
# export should cost at most 1.15 × the plain one. Runs alternate which side
# goes first; medians with min–max, wall and processor seconds.
#   bash bench/captions_burn.sh [BUILD_DIR]        CW_BENCH_REPS=5
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
bin=$build/bin/bench_export
media=$build/bench-media
source "$(dirname "$0")/lib/export-source"
source "$(dirname "$0")/lib/stats"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export CUTWRIGHT_H264_HARDWARE=${CUTWRIGHT_H264_HARDWARE:-none}

# Wall-clock and CPU seconds (user + system, the converter included) of one export.
seconds() { # engine plain|captions
  local t
  t=$(mktemp)
  /usr/bin/time -f '%e %U %S' -o "$t" "$bin" captions "$src" 1080 "$1" \
    "$([[ $2 == captions ]] && echo on || echo off)" "$work" >/dev/null
  awk '{printf "%s %.2f\n", $1, $2 + $3}' "$t"
  rm -f "$t"
}
for engine in fast composition; do
  compare_pair "$engine: 10 s of 1080p30 as 9:16 at 1080 (goal: captions ≤ 1.15 × plain)" \
    plain captions seconds "$engine"
done
