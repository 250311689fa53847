#!/usr/bin/env bash
# The media opener against the ffmpeg command line, on 10 minutes of 1080p25
# H.264/AAC in an MP4 and the same streams in an MPEG transport stream:
#   (a) opening (inspection only; for the transport stream its converted copy
#       is already in the cache) against ffprobe on the same file, both as a
#       whole process, and the open alone inside a running process;
#   (b) the transport stream's full conversion through Cutwright against the
#       same ffmpeg command run by hand.
# Runs alternate between the two sides so that load from elsewhere hits both.
# CW_BENCH_REPS runs each (default 3); CW_BENCH_MINUTES of media (default 10).
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-3}
minutes=${CW_BENCH_MINUTES:-10}
bin=$build/bin/bench_opener
media=$build/bench-media
mp4=$media/opener-${minutes}min-1080p.mp4
ts=$media/opener-${minutes}min-1080p.ts
mkdir -p "$media"
# Ten seconds encoded once, then looped by stream copy: quick to make.
if [[ ! -f $mp4 ]]; then
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=10 \
    -f lavfi -i sine=frequency=440:duration=10 \
    -c:v libx264 -preset veryfast -crf 23 -pix_fmt yuv420p -g 50 \
    -c:a aac -b:a 128k -shortest "$media/opener-10s.mp4"
  ffmpeg -hide_banner -nostdin -loglevel error -y -stream_loop $((minutes * 6 - 1)) \
    -i "$media/opener-10s.mp4" -c copy -movflags +faststart "$mp4.partial.mp4"
  mv "$mp4.partial.mp4" "$mp4"
fi
if [[ ! -f $ts ]]; then
  ffmpeg -hide_banner -nostdin -loglevel error -y -i "$mp4" -c copy -f mpegts "$ts.partial"
  mv "$ts.partial" "$ts"
fi

# The opener's cache goes to the build tree, not the user's; no hardware
# encoder is assumed, so both sides convert with the same software attempt.
export XDG_CACHE_HOME=$media/cache
export CUTWRIGHT_H264_HARDWARE=none
cache=$XDG_CACHE_HOME/Marrowick/Cutwright/Converted
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Wall-clock seconds and processor seconds (user + system, children included)
# of one command; the second figure is steadier on a shared machine.
seconds() {
  local TIMEFORMAT='%R %U %S' times
  times=$({ time "$@" >/dev/null 2>&1; } 2>&1)
  awk '{printf "%s %.3f\n", $1, $2 + $3}' <<<"$times"
}
# The median of one column (default the first).
median() {
  awk -v c="${1:-1}" '{print $c}' | sort -n |
    awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
report() { # label ours theirs
  awk -v l="$1" -v a="$2" -v b="$3" 'BEGIN {
    printf "%-44s cutwright %8.3f s   ffmpeg %8.3f s   ratio %.3f\n", l, a, b, a / b }'
}

open_once() { "$bin" open "$1" 1; }
probe() { ffprobe -hide_banner "$1"; }
convert_fresh() { "$bin" open "$ts" 1; }
convert_by_hand() {
  local args
  mapfile -t args < <("$bin" args "$ts" "$work/hand.mov")
  ffmpeg "${args[@]}"
}

echo "opener: $minutes min of 1080p25 H.264/AAC, median of $reps"

# (b) first: it also leaves the converted copy that (a) reuses.
a=() b=()
for ((i = 0; i < reps; i++)); do
  # Each side starts with its own output gone, and the order alternates, so
  # neither always runs first on a cold cache.
  ours() { rm -rf "$cache"; a+=("$(seconds convert_fresh)"); }
  theirs() { rm -f "$work/hand.mov"; b+=("$(seconds convert_by_hand)"); }
  if ((i % 2)); then theirs; ours; else ours; theirs; fi
done
conversion_wall=("$(printf '%s\n' "${a[@]}" | median 1)" "$(printf '%s\n' "${b[@]}" | median 1)")
conversion_cpu=("$(printf '%s\n' "${a[@]}" | median 2)" "$(printf '%s\n' "${b[@]}" | median 2)")
rm -f "$work/hand.mov"
if [[ ! -d $cache ]] || [[ -z $(ls -A "$cache") ]]; then
  "$bin" open "$ts" 1 >/dev/null
fi

for file in "$mp4" "$ts"; do
  kind=${file##*.}
  a=() b=() c=()
  for ((i = 0; i < reps * 3; i++)); do
    a+=("$(seconds open_once "$file")")
    b+=("$(seconds probe "$file")")
  done
  # In one process: the first open pays for loading libav, the rest are medians.
  mapfile -t c < <("$bin" open "$file" $((reps * 3 + 1)) | tail -n +2)
  report "(a) open $kind, whole process vs ffprobe" "$(printf '%s\n' "${a[@]}" | median)" \
    "$(printf '%s\n' "${b[@]}" | median)"
  report "(a) open $kind, in process vs ffprobe" "$(printf '%s\n' "${c[@]}" | median)" \
    "$(printf '%s\n' "${b[@]}" | median)"
done
report "(b) TS conversion vs the same command" "${conversion_wall[@]}"
report "(b) the same, processor time" "${conversion_cpu[@]}"
