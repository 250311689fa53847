#!/usr/bin/env bash
# A scripted trim drag over a 10-minute 1080p file (key frames every 10 s)
# against mpv's own player seeking the same targets one after another, and the
# timeline's paint cost.
set -euo pipefail
build=${1:-build}
media="$build/bench-media/long1080.mp4"
if [[ ! -e $media ]]; then
  mkdir -p "$(dirname "$media")"
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=600 \
    -c:v libx264 -preset ultrafast -crf 30 -g 250 -keyint_min 250 -sc_threshold 0 \
    -pix_fmt yuv420p "$media.tmp.mp4"
  mv "$media.tmp.mp4" "$media"
fi
"$build/bin/bench_timeline" "$media"
