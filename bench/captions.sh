#!/usr/bin/env bash
# The caption reader against the ffmpeg command line on a SubRip file of
# CW_BENCH_CUES cues (default 100000, two lines each, italics in one):
#   (a) a whole process that reads the file into cues against
#       `ffmpeg -i FILE -f ass /dev/null`, which demuxes and decodes the same
#       cues with the same libav code and writes them back out as ASS;
#   (b) the read alone inside a running process (libav and Qt loaded), the
#       figure a user waits for when a video with captions is imported.
# Runs alternate between the two sides. CW_BENCH_REPS runs each (default 5).
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
cues=${CW_BENCH_CUES:-100000}
bin=$build/bin/bench_captions
media=$build/bench-media
srt=$media/captions-$cues.srt
mkdir -p "$media"
if [[ ! -f $srt ]]; then
  awk -v n="$cues" 'BEGIN {
    for (i = 0; i < n; i++) {
      s = i * 2
      printf "%d\n%02d:%02d:%02d,000 --> %02d:%02d:%02d,500\n<i>Caption</i> number %d\nsecond line\n\n",
        i + 1, s / 3600, (s / 60) % 60, s % 60, (s + 1) / 3600, ((s + 1) / 60) % 60, (s + 1) % 60, i
    } }' >"$srt.partial"
  mv "$srt.partial" "$srt"
fi

# Wall-clock seconds and processor seconds (user + system) of one command.
seconds() {
  local TIMEFORMAT='%R %U %S' times
  times=$({ time "$@" >/dev/null 2>&1; } 2>&1)
  awk '{printf "%s %.3f\n", $1, $2 + $3}' <<<"$times"
}
# Median, minimum and maximum of one column.
stats() {
  awk -v c="$1" '{print $c}' | sort -n | awk '{v[NR] = $1} END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.3f %.3f %.3f\n", m, v[1], v[NR] }'
}
report() { # label "ours med min max" "theirs med min max"
  local a amin amax b bmin bmax
  read -r a amin amax <<<"$2"
  read -r b bmin bmax <<<"$3"
  awk -v l="$1" -v a="$a" -v amin="$amin" -v amax="$amax" -v b="$b" -v bmin="$bmin" -v bmax="$bmax" \
    'BEGIN { printf "%-30s cutwright %6.3f s (%.3f–%.3f)   ffmpeg %6.3f s (%.3f–%.3f)   ratio %.3f\n",
             l, a, amin, amax, b, bmin, bmax, a / b }'
}

ours() { "$bin" "$srt" 1; }
theirs() { ffmpeg -hide_banner -nostdin -loglevel error -y -i "$srt" -f ass /dev/null; }

echo "captions: $cues SubRip cues ($(du -h "$srt" | cut -f1)), median (min–max) of $reps"
"$bin" "$srt" 1 | awk '{printf "read %d cues, %d skipped\n", $3, $4}'
a=() b=()
for ((i = 0; i < reps; i++)); do
  if ((i % 2)); then
    b+=("$(seconds theirs)") a+=("$(seconds ours)")
  else
    a+=("$(seconds ours)") b+=("$(seconds theirs)")
  fi
done
report "(a) whole process, wall" "$(printf '%s\n' "${a[@]}" | stats 1)" \
  "$(printf '%s\n' "${b[@]}" | stats 1)"
report "(a) whole process, processor" "$(printf '%s\n' "${a[@]}" | stats 2)" \
  "$(printf '%s\n' "${b[@]}" | stats 2)"
inproc=$("$bin" "$srt" "$reps")
echo "$inproc" | stats 1 | awk '{printf "(b) in process, wall       %6.3f s (%.3f–%.3f)\n", $1, $2, $3}'
echo "$inproc" | stats 2 | awk '{printf "(b) in process, processor  %6.3f s (%.3f–%.3f)\n", $1, $2, $3}'
