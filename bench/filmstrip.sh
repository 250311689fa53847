#!/usr/bin/env bash
# The filmstrip of a long recording: one hour of 1080p30 H.264 with a key frame
# every 10 s (a 60 s piece joined 60 times by stream copy). 24 frames, strip
# height 90, with the file's pages dropped from the cache (cold) and kept
# (warm), against 24 `ffmpeg -ss T -skip_frame nokey -i F -frames:v 1` runs
# writing the same 270-pixel PNGs, and against the filmstrip as it was made
# before (one decoder, each frame decoded up to its slice's middle).
# CW_BENCH_REPS runs of each (default 5); the order alternates every run.
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
bin=$build/bin/bench_filmstrip
media=$build/bench-media
mkdir -p "$media"
file=$media/filmstrip-1h-1080p-gop10s.mp4
if [[ ! -f $file ]]; then
  piece=$media/filmstrip-piece.mp4
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=60 \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 300 -keyint_min 300 -sc_threshold 0 "$piece"
  list=$media/filmstrip-list.txt
  for _ in $(seq 60); do echo "file '$piece'"; done >"$list"
  ffmpeg -hide_banner -nostdin -loglevel error -y -f concat -safe 0 -i "$list" -c copy \
    "$file.partial.mp4"
  mv "$file.partial.mp4" "$file"
  rm -f "$piece" "$list"
fi
d=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$file")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

drop() { python3 -c "import os,sys; fd=os.open(sys.argv[1], os.O_RDONLY); os.posix_fadvise(fd,0,0,os.POSIX_FADV_DONTNEED)" "$file"; }
# Prints "first all processor" like the driver; processor time of the children.
ffmpeg_strip() {
  python3 - "$file" "$d" "$out" <<'PY'
import os, resource, subprocess, sys, time
f, d, out = sys.argv[1], float(sys.argv[2]), sys.argv[3]
start = time.monotonic(); first = None
for i in range(24):
    t = (i + 0.5) * d / 24
    subprocess.run(["ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y", "-ss", "%.3f" % t,
                    "-skip_frame", "nokey", "-i", f, "-frames:v", "1", "-vf", "scale=270:-2",
                    os.path.join(out, "%02d.png" % i)], check=True)
    if first is None:
        first = time.monotonic() - start
total = time.monotonic() - start
ru = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.6f %.6f %.6f" % (first, total, ru.ru_utime + ru.ru_stime))
PY
}
run() { # cache side
  [[ $1 == cold ]] && drop
  case $2 in
    ours) "$bin" stream "$file" ;;
    before) "$bin" serial "$file" ;;
    ffmpeg) ffmpeg_strip ;;
  esac
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
spread() { sort -n | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%.3f–%.3f", lo, hi}'; }
for cache in cold warm; do
  declare -A rows=()
  for r in $(seq "$reps"); do
    sides=(ours ffmpeg before)
    ((r % 2 == 0)) && sides=(before ffmpeg ours)
    [[ $cache == warm && $r == 1 ]] && run warm ours >/dev/null  # fill the cache
    for side in "${sides[@]}"; do rows[$side]+="$(run "$cache" "$side")"$'\n'; done
  done
  echo "-- $cache cache, $reps runs, medians (min–max)"
  for side in ours before ffmpeg; do
    col() { printf '%s' "${rows[$side]}" | awk -v c="$1" 'NF {print $c}'; }
    printf '%-7s first %6.3f s (%s)  all 24 %6.3f s (%s)  processor %6.3f s\n' "$side" \
      "$(col 1 | median)" "$(col 1 | spread)" "$(col 2 | median)" "$(col 2 | spread)" \
      "$(col 3 | median)"
    eval "${side}_all=$(col 2 | median)"
  done
  # shellcheck disable=SC2154
  awk -v a="$ours_all" -v b="$ffmpeg_all" -v c="$before_all" \
    'BEGIN {printf "ratio all 24: cutwright/ffmpeg %.3f   cutwright/before %.3f\n", a / b, a / c}'
  unset rows
done
