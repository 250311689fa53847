#!/usr/bin/env bash
# The window bringing back a session: seconds from launch until 20 one-minute
# sources (two clips each) all have their filmstrips, and the resident memory
# once 50 are loaded (goal: under 400 MB). The sources are copies of one
# 320×180 25 fps H.264/AAC minute under distinct names, made once under the
# build folder; the same process, window, store and player as the program,
# under Xvfb with a fresh HOME each run.
#   bash bench/restore.sh BUILD_DIR
# CW_BENCH_REPS runs of the 20 (default 3); the 50 run once.
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-3}
bin=$build/bin/bench_restore
media=$build/bench-media/restore
one=$media/minute-320x180.mp4
for program in "$bin"; do
  [[ -x $program ]] || { echo "no $program: build it first" >&2; exit 1; }
done
mkdir -p "$media"
if [[ ! -e $one ]]; then
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i testsrc2=size=320x180:rate=25:duration=60 \
    -f lavfi -i sine=frequency=440:duration=60 \
    -c:v libx264 -preset veryfast -crf 26 -pix_fmt yuv420p -g 50 \
    -c:a aac -b:a 96k -shortest -movflags +faststart "$one.partial.mp4"
  mv "$one.partial.mp4" "$one"
fi
sources=()
for n in $(seq -w 1 50); do
  [[ -e $media/source-$n.mp4 ]] || cp "$one" "$media/source-$n.mp4"
  sources+=("$(realpath "$media/source-$n.mp4")")
done

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib/xvfb
source "$here/lib/xvfb"

# The audio libraries' chatter about devices that are not there is no figure;
# a failed run shows what it said.
restore() {
  local out
  out=$(in_private_home "$bin" "$@" 2>"$work/stderr") && [[ -n $out ]] ||
    { grep -v -e '^ALSA lib' -e 'pw.conf' "$work/stderr" >&2; return 1; }
  echo "$out"
}
runs=()
for ((i = 0; i < reps; i++)); do
  runs+=("$(restore "${sources[@]:0:20}")")
done
fifty=$(restore "${sources[@]}")
echo "restore: sessions of one-minute 320x180 sources with two clips each"
printf '  20 sources, runs (wall cpu rss peak anon files): %s\n' "$(printf '%s; ' "${runs[@]}")"
awk -v w="$(printf '%s\n' "${runs[@]}" | median 1)" -v c="$(printf '%s\n' "${runs[@]}" | median 2)" \
  -v r="$(printf '%s\n' "${runs[@]}" | median 3)" 'BEGIN {
    printf "%-40s %7.3f s wall   %7.3f s processor   %6.1f MB resident\n",
      "20 sources, launch to every filmstrip", w, c, r }'
read -r w c rss peak anon files <<<"$fifty"
awk -v w="$w" -v c="$c" -v r="$rss" -v p="$peak" -v a="$anon" -v f="$files" 'BEGIN {
    printf "%-40s %7.3f s wall   %7.3f s processor   %6.1f MB resident (goal under 400)\n",
      "50 sources loaded", w, c, r
    printf "%-40s peak %.1f MB; own %.1f MB, mapped files %.1f MB\n", "", p, a, f }'
