#!/usr/bin/env bash
# The export engines against the ffmpeg command line, on a 30-second 1080p
# H.264 source cut to a centred 9:16 frame at 1080 and at 720:
#   (a) the fast path against its own command line run by hand through the
#       converter launcher;
#   (b) the in-process composition against ffmpeg doing the same crop, scale
#       and libx264 encode;
#   (c) a batch of 4 clips through the fast path against the same 4 commands.
# Runs alternate between the two sides so that load from elsewhere hits both.
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-3}
bin=$build/bin/bench_export
launcher=$build/libexec/cutwright/ffmpeg
media=$build/bench-media
frames=900
source "$(dirname "$0")/lib/export-source"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Wall-clock and CPU seconds (user + system, children included) of a command.
seconds() {
  local t
  t=$(mktemp)
  /usr/bin/time -f '%e %U %S' -o "$t" bash -c '"$@"' bash "$@" >/dev/null 2>&1
  awk '{printf "%s %.2f\n", $1, $2 + $3}' "$t"
  rm -f "$t"
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
report() { # label wall-ours wall-theirs cpu-ours cpu-theirs frames
  awk -v l="$1" -v a="$2" -v b="$3" -v ca="$4" -v cb="$5" -v f="$6" 'BEGIN {
    printf "%-30s cutwright %6.2f s (%5.1f fps)  ffmpeg %6.2f s (%5.1f fps)  ratio %.3f   cpu %6.2f / %6.2f s  ratio %.3f\n",
           l, a, f / a, b, f / b, a / b, ca, cb, ca / cb }'
}
app() { "$bin" run "$src" "$1" "$2" "$work" "$3"; }
by_hand() { # shortside clip clips
  local args
  mapfile -t args < <("$bin" args "$src" "$1" "$work/hand.mp4" "$2" "$3")
  "$launcher" "${args[@]}"
}
batch_by_hand() { for i in 1 2 3 4; do by_hand "$1" "$i" 4; done; }
composition_by_hand() { # shortside
  local crop scale fps bitrate
  read -r crop scale fps bitrate < <("$bin" describe "$src" "$1")
  bitrate=${bitrate#bitrate=}
  # What the composition writes: BT.709 limited range, a key frame every 2 s
  # in closed GOPs, 48 kHz stereo, no edit lists.
  ffmpeg -hide_banner -nostdin -y -ss 0.000 -t 30.000 -i "$src" -map 0:v:0 -map '0:a:0?' \
    -vf "$crop,$scale:flags=bicubic:in_color_matrix=bt709:out_color_matrix=bt709:out_range=tv,setsar=1,format=yuv420p" \
    -r "${fps#fps=}" -c:v libx264 -preset veryfast -profile:v high -crf 18 -g 60 -flags +cgop \
    -maxrate $((bitrate * 3 / 2)) -bufsize $((bitrate * 2)) \
    -color_primaries bt709 -color_trc bt709 -colorspace bt709 -color_range tv \
    -c:a aac -b:a 192k -ac 2 -ar 48000 -movflags +faststart+negative_cts_offsets -use_editlist 0 \
    -f mp4 "$work/hand.mp4"
}

export bin launcher src work
export -f app by_hand batch_by_hand composition_by_hand

compare() { # label frames ours... -- theirs...
  local label=$1 n=$2 ours=() theirs=() i
  local -a a=() b=()
  shift 2
  while [[ $1 != -- ]]; do ours+=("$1"); shift; done
  shift
  theirs=("$@")
  for ((i = 0; i < reps; i++)); do
    if ((i % 2)); then
      b+=("$(seconds "${theirs[@]}")")
      a+=("$(seconds "${ours[@]}")")
    else
      a+=("$(seconds "${ours[@]}")")
      b+=("$(seconds "${theirs[@]}")")
    fi
  done
  report "$label" \
    "$(printf '%s\n' "${a[@]}" | cut -d' ' -f1 | median)" "$(printf '%s\n' "${b[@]}" | cut -d' ' -f1 | median)" \
    "$(printf '%s\n' "${a[@]}" | cut -d' ' -f2 | median)" "$(printf '%s\n' "${b[@]}" | cut -d' ' -f2 | median)" "$n"
}

echo "export: 30 s of 1080p30 H.264/AAC, centred 9:16, median of $reps"
for side in 1080 720; do
  compare "(a) fast path, 9:16 at $side" $frames app "$side" fast 1 -- by_hand "$side" 1 1
done
for side in 1080 720; do
  compare "(b) composition, 9:16 at $side" $frames app "$side" composition 1 -- composition_by_hand "$side"
done
compare "(c) batch of 4 clips, 9:16 at 1080" $frames app 1080 fast 4 -- batch_by_hand 1080
