#!/usr/bin/env bash
# How soon a Cancel stops a long fast-path export: the 30-second 1080p source
# of export.sh cut to 9:16 at 1080, cancelled after 3 and after 10 seconds of
# work. Cutwright's figure runs from Job::cancel() until the export has ended
# and its partial file is gone; beside it, the same command line run by hand
# through the converter launcher and sent SIGTERM at the same moment, timed
# until it exits: what a cancel waited for when it only asked ffmpeg to stop
# (it still writes its index and moves it to the front).
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
bin=$build/bin/bench_cancel
args_bin=$build/bin/bench_export
launcher=$build/libexec/cutwright/ffmpeg
media=$build/bench-media
source "$(dirname "$0")/lib/export-source"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Seconds from SIGTERM until the hand-run converter exits.
by_hand() { # after
  local args pid start
  mapfile -t args < <("$args_bin" args "$src" 1080 "$work/hand.mp4")
  "$launcher" "${args[@]}" 2>/dev/null &
  pid=$!
  sleep "$1"
  start=$(date +%s.%N)
  kill -TERM "$pid"
  wait "$pid" || true
  awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {printf "%.3f\n", b - a}'
  rm -f "$work/hand.mp4"
}

for after in 3 10; do
  ours=() theirs=() gone=0
  for ((i = 0; i < reps; i++)); do
    if ((i % 2)); then
      theirs+=("$(by_hand "$after")")
      read -r latency removed < <("$bin" "$src" "$work/clip.mp4" "$after")
    else
      read -r latency removed < <("$bin" "$src" "$work/clip.mp4" "$after")
      theirs+=("$(by_hand "$after")")
    fi
    ours+=("$latency")
    gone=$((gone + removed))
  done
  printf 'cancel after %2d s: cutwright %.3f s (max %.3f, file gone %d/%d)   ffmpeg on SIGTERM %.3f s (max %.3f)   median of %d\n' \
    "$after" "$(printf '%s\n' "${ours[@]}" | median)" "$(printf '%s\n' "${ours[@]}" | sort -n | tail -1)" \
    "$gone" "$reps" "$(printf '%s\n' "${theirs[@]}" | median)" "$(printf '%s\n' "${theirs[@]}" | sort -n | tail -1)" "$reps"
done
