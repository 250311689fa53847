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
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export CUTWRIGHT_H264_HARDWARE=${CUTWRIGHT_H264_HARDWARE:-none}

# Wall-clock and CPU seconds (user + system, the converter included) of one export.
seconds() { # engine on|off
  local t
  t=$(mktemp)
  /usr/bin/time -f '%e %U %S' -o "$t" "$bin" captions "$src" 1080 "$1" "$2" "$work" >/dev/null
  awk '{printf "%s %.2f\n", $1, $2 + $3}' "$t"
  rm -f "$t"
}
stats() { # values… → "median min max"
  printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.2f %.2f %.2f\n", m, v[1], v[NR] }'
}

compare() { # engine
  local -a ow=() oc=() fw=() fc=()
  local i side wall cpu order
  for ((i = 0; i < reps; i++)); do
    if ((i % 2)); then order=(on off); else order=(off on); fi
    for side in "${order[@]}"; do
      read -r wall cpu < <(seconds "$1" "$side")
      if [[ $side == on ]]; then ow+=("$wall"); oc+=("$cpu"); else fw+=("$wall"); fc+=("$cpu"); fi
    done
  done
  read -r fwm fwlo fwhi < <(stats "${fw[@]}")
  read -r fcm fclo fchi < <(stats "${fc[@]}")
  read -r owm owlo owhi < <(stats "${ow[@]}")
  read -r ocm oclo ochi < <(stats "${oc[@]}")
  echo "$1: 10 s of 1080p30 as 9:16 at 1080, median of $reps (min–max) (goal: captions ≤ 1.15 × plain)"
  printf '  plain     wall %6.2f s (%.2f–%.2f)  cpu %6.2f s (%.2f–%.2f)\n' "$fwm" "$fwlo" "$fwhi" "$fcm" "$fclo" "$fchi"
  printf '  captions  wall %6.2f s (%.2f–%.2f)  cpu %6.2f s (%.2f–%.2f)\n' "$owm" "$owlo" "$owhi" "$ocm" "$oclo" "$ochi"
  awk -v a="$owm" -v b="$fwm" -v ca="$ocm" -v cb="$fcm" \
    'BEGIN { printf "  captions / plain: wall %.3f  cpu %.3f\n", a / b, ca / cb }'
}

compare fast
compare composition
