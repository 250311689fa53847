#!/usr/bin/env bash
# The whole job without a window, against the ffmpeg command line doing the same work:
#   import: ten 1-minute 1080p MP4 files until the last is current with its filmstrip
#           and black-bar rectangle, against ffprobe + 24 single-frame ffmpeg runs +
#           cropdetect at 7 times, per file, one after another;
#   export: one 15 s 9:16 clip from each file (ten clips), against the same ten
#           argument lists run one after another through the converter launcher.
# Usage: bench/pipeline.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-3}
media="$build/bench-media"
mkdir -p "$media"
ff() { ffmpeg -hide_banner -nostdin -loglevel error -y "$@"; }

src="$media/pipeline-1080p-60s.mp4"
if [[ ! -e $src ]]; then
  echo "making $src…" >&2
  ff -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=60 -f lavfi -i sine=frequency=440:duration=60 \
     -c:v libx264 -preset veryfast -g 50 -pix_fmt yuv420p -c:a aac -shortest "$src.part.mp4"
  mv "$src.part.mp4" "$src"
fi
files=()
for i in $(seq -w 1 10); do
  f="$media/pipeline-$i.mp4"
  [[ -e $f ]] || cp "$src" "$f"
  files+=("$f")
done

median() { sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
seconds() { local s; s=$(date +%s.%N); "$@" >/dev/null; echo "$(date +%s.%N) - $s" | bc -l; }
private_home() { local h; h=$(mktemp -d); echo "$h"; }

baseline_import() {
  local tmp
  tmp=$(mktemp -d)
  for f in "${files[@]}"; do
    ffprobe -v error -show_format -show_streams "$f" >/dev/null
    for i in $(seq 0 23); do
      t=$(echo "($i + 0.5) * 60 / 24" | bc -l)
      ff -ss "$t" -i "$f" -frames:v 1 -vf scale=-2:90 "$tmp/t.png"
    done
    for i in $(seq 0 6); do
      t=$(echo "($i + 0.5) * 60 / 7" | bc -l)
      ff -ss "$t" -i "$f" -frames:v 1 -vf cropdetect -f null -
    done
  done
  rm -rf "$tmp"
}

ours_import=() theirs_import=() ours_export=() theirs_export=()
for r in $(seq 1 "$runs"); do
  h=$(private_home)
  ours_import+=("$(HOME=$h "$build/bin/bench_pipeline" import "${files[@]}")")
  rm -rf "$h"
  theirs_import+=("$(seconds baseline_import)")
  h=$(private_home)
  ours_export+=("$(HOME=$h "$build/bin/bench_pipeline" export "${files[@]}")")
  rm -rf "$h"
  h=$(private_home)
  tmpargs=$(mktemp -u)
  HOME=$h "$build/bin/bench_pipeline" args "${files[@]}" >"$tmpargs"
  rm -rf "$h"
  theirs_export+=("$(
    tmp=$(mktemp -d)
    s=$(date +%s.%N)
    n=0
    while IFS= read -r line; do
      IFS=$'\t' read -r -a args <<<"$line"
      args[${#args[@]}-1]="$tmp/$n.mp4"
      "$build/libexec/cutwright/ffmpeg" "${args[@]}" 2>/dev/null
      n=$((n + 1))
    done <"$tmpargs"
    echo "$(date +%s.%N) - $s" | bc -l
    rm -rf "$tmp" "$tmpargs"
  )")
done

report() {
  local name=$1 ours theirs
  ours=$(printf '%s\n' "${@:2:$runs}" | median)
  theirs=$(printf '%s\n' "${@:$((runs + 2)):$runs}" | median)
  printf '%-8s Cutwright %7.2f s   ffmpeg command line %7.2f s   ratio %.2f\n' \
    "$name" "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
}
echo "pipeline: medians of $runs runs, $(nproc) cores"
report import "${ours_import[@]}" "${theirs_import[@]}"
report export "${ours_export[@]}" "${theirs_export[@]}"
