#!/usr/bin/env bash
# What a moving frame costs the fast path: the same 10 s of the 30-second
# 1080p30 source exported as a 9:16 clip at 720, once with its frame centred
# and once with a frame that glides across and in, cuts and glides back (a
# new crop on most frames). The moving clip should cost at most 1.10 × the
# static one. A second pair runs only the picture filters of each export
# (no encoder), to tell what the moving crop costs from what the encoder
# spends on a picture that pans and zooms. Runs alternate which side goes
# first; medians with min–max.
#   bash bench/motion.sh [BUILD_DIR]        CW_BENCH_REPS=5
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
bin=$build/bin/bench_export
media=$build/bench-media
source "$(dirname "$0")/lib/export-source"
source "$(dirname "$0")/lib/stats"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Wall-clock and CPU seconds (user + system, the converter included) of one export.
seconds() { # static|moving
  local t
  t=$(mktemp)
  /usr/bin/time -f '%e %U %S' -o "$t" "$bin" motion "$src" 720 "$1" "$work" >/dev/null
  awk '{printf "%s %.2f\n", $1, $2 + $3}' "$t"
  rm -f "$t"
}
# The same for the export's picture filters alone, with the ffmpeg command line.
filter_seconds() { # static|moving
  local t vf
  t=$(mktemp)
  vf=$("$bin" motionfilter "$src" 720 "$1" "$work")
  /usr/bin/time -f '%e %U %S' -o "$t" ffmpeg -hide_banner -nostdin -loglevel error \
    -ss 5 -t 10 -i "$src" -an -vf "$vf" -f null - >/dev/null
  awk '{printf "%s %.2f\n", $1, $2 + $3}' "$t"
  rm -f "$t"
}

compare_pair "fast-path export, 10 s of 1080p30 as 9:16 at 720 (goal: moving ≤ 1.10 × static)" \
  static moving seconds
compare_pair "its picture filters alone (no encoder)" static moving filter_seconds
