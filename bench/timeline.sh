#!/usr/bin/env bash
# Gestures on the timeline over a 10-minute 1080p file (key frames every
# 10 s) with 1,000 clips: the Out-handle drag against mpv's own player seeking
# the same targets one after another, and the track's paint cost (first run);
# then, in every run, the longest main-thread stall of a frame point's mark
# dragged along a clip carrying 50 points and of the playhead scrubbed across
# that clip, each against the trim drag of the same run (goal: ≤ 1.10 × it);
# and of the crop frame dragged across the viewer and the position pad's dot
# across the pad, one of the 1,000 clips selected, against the same trim drag.
# Runs alternate the order of the gestures; medians with min–max.
#   bash bench/timeline.sh [BUILD_DIR]        CW_BENCH_REPS=5
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
media="$build/bench-media/long1080.mp4"
source "$(dirname "$0")/lib/stats"
if [[ ! -e $media ]]; then
  mkdir -p "$(dirname "$media")"
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=600 \
    -c:v libx264 -preset ultrafast -crf 30 -g 250 -keyint_min 250 -sc_threshold 0 \
    -pix_fmt yuv420p "$media.tmp.mp4"
  mv "$media.tmp.mp4" "$media"
fi
gaps=$(mktemp)
trap 'rm -f "$gaps"' EXIT
for ((i = 0; i < reps; i++)); do
  if ((i % 2)); then order=pad,crop,scrub,point,trim; else order=trim,point,scrub,crop,pad; fi
  if ((i == 0)); then
    "$build/bin/bench_timeline" "$media" "$order" | tee -a "$gaps" | grep -v '^gap '
  else
    "$build/bin/bench_timeline" "$media" "$order" --gaps | grep '^gap ' >>"$gaps"
  fi
done
values_of() { # case field → its values, one a line
  awk -v c="$1" -v f="$2" '$1 == "gap" && $2 == c {print $f}' "$gaps"
}
echo "the main thread per gesture, ms, median of $reps (min–max): the longest stall between"
echo "1 ms heartbeats, and the most processor time it spent between two beats"
for c in trim point scrub crop pad; do
  read -r m lo hi < <(stats $(values_of "$c" 3))
  read -r bm blo bhi < <(stats $(values_of "$c" 5))
  printf '  %-5s  stall %6.2f (%.2f–%.2f)  processor %5.2f (%.2f–%.2f)\n' \
    "$c" "$m" "$lo" "$hi" "$bm" "$blo" "$bhi"
done
# Each run's gesture against that run's trim drag, then the median of those ratios.
ratios() { # case field
  paste <(values_of "$1" "$2") <(values_of trim "$2") | awk '{printf "%.4f\n", $1 / $2}'
}
for c in point scrub crop pad; do
  read -r m lo hi < <(stats $(ratios "$c" 3))
  read -r bm blo bhi < <(stats $(ratios "$c" 5))
  goal=; [[ $c == point || $c == scrub ]] && goal=' (goal ≤ 1.10)'
  printf '  %-5s / trim%s: stall %.2f (%.2f–%.2f)  processor %.2f (%.2f–%.2f)\n' \
    "$c" "$goal" "$m" "$lo" "$hi" "$bm" "$blo" "$bhi"
done
