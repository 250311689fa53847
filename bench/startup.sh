#!/usr/bin/env bash
# Launch to first frame: `cutwright file.mp4` against `mpv file.mp4` on the
# same 1080p file under one Xvfb, both timed by bench_firstframe, which
# launches the program and watches the screen for the file's magenta. Each run
# gets a fresh HOME, XDG folders and session bus, so no earlier instance
# answers. Two cases: an empty session, and a saved session of 20 sources
# (copies of the file) with 100 clips that the launch brings back, without
# naming a file, against mpv opening the file.
# Then one launch of each case with CW_LAUNCH_TRACE on, step by step.
#   bash bench/startup.sh BUILD_DIR
# CW_BENCH_REPS runs each (default 5), alternating which side goes first.
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
probe=$build/bin/bench_firstframe
cutwright=$build/bin/cutwright
media=$build/bench-media/firstframe-1080p.mp4
for program in "$probe" "$cutwright"; do
  [[ -x $program ]] || { echo "no $program: build it first" >&2; exit 1; }
done

# Magenta under a white grid, with a tone: a colour no part of either window
# has, in a file shaped like what users open.
if [[ ! -e $media ]]; then
  mkdir -p "$(dirname "$media")"
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i "color=c=0xff00ff:size=1920x1080:rate=25:duration=20,drawgrid=w=160:h=120:t=6:c=white" \
    -f lavfi -i sine=frequency=440:duration=20 \
    -c:v libx264 -preset veryfast -crf 23 -pix_fmt yuv420p -g 50 \
    -c:a aac -b:a 128k -shortest -movflags +faststart "$media.tmp.mp4"
  mv "$media.tmp.mp4" "$media"
fi

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib/xvfb
source "$here/lib/xvfb"
# shellcheck source=lib/stats
source "$here/lib/stats"

# The saved session of the second case: 20 copies of the file under distinct
# names, five clips of each.
sources=$build/bench-media/startup-sources
mkdir -p "$sources"
session=$sources/session.json
for n in $(seq -w 1 20); do
  [[ -e $sources/source-$n.mp4 ]] || cp "$media" "$sources/source-$n.mp4"
done
{
  printf '{"version":2,"sources":['
  for n in $(seq 1 20); do
    ((n > 1)) && printf ','
    printf '{"id":"%08X-0000-4000-8000-000000000000","path":"%s","trimBorders":true}' \
      "$n" "$(realpath "$sources/source-$(printf %02d "$n").mp4")"
  done
  printf '],"clips":['
  for c in $(seq 0 99); do
    ((c > 0)) && printf ','
    printf '{"id":"%08X-0000-4000-8000-000000000001","sourceID":"%08X-0000-4000-8000-000000000000",' \
      "$((c + 1))" "$((c / 5 + 1))"
    printf '"name":"Clip %d","inTime":%d,"outTime":%d,"aspect":"9:16","zoom":1,"centerX":0.5,"centerY":0.5}' \
      "$c" "$((c % 5 * 3))" "$((c % 5 * 3 + 2))"
  done
  printf ']}\n'
} >"$session"
# Puts the session where the program looks for it in the private home, then
# runs "$@".
with_session() {
  mkdir -p "$XDG_DATA_HOME/Marrowick/Cutwright"
  cp "$session" "$XDG_DATA_HOME/Marrowick/Cutwright/session.json"
  "$@"
}

# One timed launch; a run that never showed the frame ends the benchmark.
timed() {
  local out
  out=$(in_private_home "$@")
  [[ -n $out ]] || { echo "startup: no first frame from $*" >&2; exit 1; }
  echo "$out"
}
# case TITLE GOAL CUTWRIGHT-COMMAND...: alternating runs of it and of mpv, and
# their medians.
case_of() {
  local title=$1 goal=$2 i
  shift 2
  ours=() theirs=()
  for ((i = 0; i < reps; i++)); do
    a() { ours+=("$(timed "$@")"); }
    b() { theirs+=("$(timed "$probe" -- mpv --no-config --really-quiet "$media")"); }
    if ((i % 2)); then b; a "$@"; else a "$@"; b; fi
  done
  echo "startup, $title: launch to first frame of a 1080p25 H.264/AAC file, median of $reps (min–max)"
  printf '  cutwright runs (frame cpu window): %s\n' "$(printf '%s; ' "${ours[@]}")"
  printf '  mpv runs (frame cpu window):       %s\n' "$(printf '%s; ' "${theirs[@]}")"
  local o t
  o=$(printf '%s\n' "${ours[@]}")
  t=$(printf '%s\n' "${theirs[@]}")
  # shellcheck disable=SC2046
  read -r _ alo ahi < <(stats $(awk '{print $1}' <<<"$o"))
  # shellcheck disable=SC2046
  read -r _ blo bhi < <(stats $(awk '{print $1}' <<<"$t"))
  awk -v a="$(median 1 <<<"$o")" -v b="$(median 1 <<<"$t")" -v ca="$(median 2 <<<"$o")" \
    -v cb="$(median 2 <<<"$t")" -v wa="$(median 3 <<<"$o")" -v wb="$(median 3 <<<"$t")" \
    -v goal="$goal" -v range="(runs $alo–$ahi s against $blo–$bhi s)" 'BEGIN {
    printf "%-30s cutwright %7.3f s   mpv %7.3f s   ratio %.2f%s %s\n", "first frame, wall", a, b, a / b, goal, range
    printf "%-30s cutwright %7.3f s   mpv %7.3f s   ratio %.2f\n", "processor time until then", ca, cb, ca / cb
    printf "%-30s cutwright %7.3f s   mpv %7.3f s\n", "window on screen, wall", wa, wb }'
}
case_of "empty session" " (goal 1.5)" "$probe" -- "$cutwright" "$media"
case_of "20 sources and 100 clips saved" "" with_session "$probe" -- "$cutwright"

# Where the time goes: one launch of each case with the launch trace on, each
# step's milliseconds from just before the launch (the same clock as above).
traced() {
  env CW_LAUNCH_TRACE=1 CW_LAUNCH_T0="$(date +%s%N)" "$@" 2>&1 >/dev/null | grep '^launch:' |
    awk '{printf "  %8.1f ms  %s\n", $2, substr($0, index($0, $3))}'
}
echo "one launch traced, empty session:"
in_private_home traced "$probe" -- "$cutwright" "$media"
echo "one launch traced, 20 sources and 100 clips saved:"
in_private_home with_session traced "$probe" -- "$cutwright"
