#!/usr/bin/env bash
# Importing a long recording in the window, cold cache: seconds from the
# import's start until the video is in the bin, the player's first picture,
# the first filmstrip frame, all 24, and the end of the import (black bars
# found). Uses the one-hour file bench/filmstrip.sh makes (run that first).
# CW_BENCH_REPS runs (default 5); medians (min–max).
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
bin=$build/bin/bench_import
file=$(cd "$build" && pwd)/bench-media/filmstrip-1h-1080p-gop10s.mp4
[[ -f $file ]] || { echo "no $file: run bench/filmstrip.sh first" >&2; exit 1; }
rows=""
for _ in $(seq "$reps"); do
  python3 -c "import os,sys; fd=os.open(sys.argv[1], os.O_RDONLY); os.posix_fadvise(fd,0,0,os.POSIX_FADV_DONTNEED)" "$file"
  home=$(mktemp -d)
  rows+=$(HOME=$home XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
    XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home \
    xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$bin" "$file" 2>/dev/null)$'\n'
  rm -rf "$home"
done
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
spread() { sort -n | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%.3f–%.3f", lo, hi}'; }
names=("in the bin" "first picture" "first filmstrip frame" "all 24 frames" "import finished")
for c in 1 2 3 4 5; do
  col=$(printf '%s' "$rows" | awk -v c="$c" 'NF {print $c}')
  printf '%-22s %6.3f s (%s)\n' "${names[c - 1]}" "$(median <<<"$col")" "$(spread <<<"$col")"
done
