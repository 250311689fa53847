#!/usr/bin/env bash
# Launch to first frame: `cutwright file.mp4` against `mpv file.mp4` on the
# same 1080p file under one Xvfb, both timed by bench_firstframe, which
# launches the program and watches the screen for the file's magenta. Each run
# gets a fresh HOME, XDG folders and session bus, so nothing is restored and
# no earlier instance answers.
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

# One timed launch; a run that never showed the frame ends the benchmark.
timed() {
  local out
  out=$(in_private_home "$probe" -- "$@")
  [[ -n $out ]] || { echo "startup: no first frame from $1" >&2; exit 1; }
  echo "$out"
}
ours=() theirs=()
for ((i = 0; i < reps; i++)); do
  a() { ours+=("$(timed "$cutwright" "$media")"); }
  b() { theirs+=("$(timed mpv --no-config --really-quiet "$media")"); }
  if ((i % 2)); then b; a; else a; b; fi
done
echo "startup: launch to first frame of a 1080p25 H.264/AAC file, median of $reps"
printf '  cutwright runs (frame cpu window): %s\n' "$(printf '%s; ' "${ours[@]}")"
printf '  mpv runs (frame cpu window):       %s\n' "$(printf '%s; ' "${theirs[@]}")"
awk -v a="$(printf '%s\n' "${ours[@]}" | median 1)" -v b="$(printf '%s\n' "${theirs[@]}" | median 1)" \
  -v ca="$(printf '%s\n' "${ours[@]}" | median 2)" -v cb="$(printf '%s\n' "${theirs[@]}" | median 2)" \
  -v wa="$(printf '%s\n' "${ours[@]}" | median 3)" -v wb="$(printf '%s\n' "${theirs[@]}" | median 3)" \
  'BEGIN {
    printf "%-30s cutwright %7.3f s   mpv %7.3f s   ratio %.2f (goal 1.5)\n", "first frame, wall", a, b, a / b
    printf "%-30s cutwright %7.3f s   mpv %7.3f s   ratio %.2f\n", "processor time until then", ca, cb, ca / cb
    printf "%-30s cutwright %7.3f s   mpv %7.3f s\n", "window on screen, wall", wa, wb }'
