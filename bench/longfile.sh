#!/usr/bin/env bash
# A long file opened from a cold disk: a one-hour 1080p30 H.264/AAC file with
# a key frame every 10 s (one minute made once and joined to itself 60 times
# by stream copy), dropped from the page cache before every launch.
#   - launch to the first picture on screen: `cutwright FILE` against
#     `mpv FILE`, both timed by bench_firstframe watching for the file's magenta;
#   - launch to the first filmstrip frame on screen and to all 24, and the
#     resident memory once loaded, by bench_import (the program's window, store
#     and player), the memory against the same import of the one-minute file,
#     also cold. The filmstrip lands in one piece, so the first two agree.
# Each launch gets a fresh HOME, XDG folders and session bus.
#   bash bench/longfile.sh BUILD_DIR
# CW_BENCH_REPS runs of each (default 5), alternating which side goes first;
# CW_BENCH_LONG=3 makes the file three hours long.
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
hours=${CW_BENCH_LONG:-1}
probe=$build/bin/bench_firstframe
import=$build/bin/bench_import
cutwright=$build/bin/cutwright
for program in "$probe" "$import" "$cutwright"; do
  [[ -x $program ]] || { echo "no $program: build it first" >&2; exit 1; }
done
media=$build/bench-media/longfile
minute=$media/minute-1080p30.mp4
long=$media/long-${hours}h-1080p30.mp4
mkdir -p "$media"
# A moving test picture with a magenta field in the middle, which neither
# window shows anywhere else; the sound is a tone.
if [[ ! -e $minute ]]; then
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=60,drawbox=x=480:y=270:w=960:h=540:color=0xff00ff:t=fill" \
    -f lavfi -i sine=frequency=440:duration=60 \
    -c:v libx264 -preset ultrafast -crf 23 -pix_fmt yuv420p -g 300 -keyint_min 300 -sc_threshold 0 \
    -c:a aac -b:a 128k -shortest "$minute.partial.mp4"
  mv "$minute.partial.mp4" "$minute"
fi
if [[ ! -e $long ]]; then
  for ((n = 0; n < hours * 60; n++)); do echo "file '$(realpath "$minute")'"; done >"$media/list.txt"
  ffmpeg -hide_banner -nostdin -loglevel error -y -f concat -safe 0 -i "$media/list.txt" \
    -c copy "$long.partial.mp4"
  mv "$long.partial.mp4" "$long"
fi

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib/xvfb
source "$here/lib/xvfb"
# shellcheck source=lib/stats
source "$here/lib/stats"

# Writes back nothing (the file is only read) and tells the kernel to forget
# the file's pages: the next read comes from the disk.
cold() { dd of="$1" oflag=nocache conv=notrunc,fdatasync count=0 status=none; }

# One launch with FILE dropped from the cache; a run that shows nothing ends
# the benchmark. The audio libraries' chatter about devices that are not there
# is no figure.
timed() { # FILE COMMAND...
  local out
  cold "$1"
  shift
  out=$(in_private_home "$@" 2>"$work/stderr") && [[ -n $out ]] ||
    { grep -v -e '^ALSA lib' -e 'pw.conf' "$work/stderr" >&2; echo "longfile: nothing from $*" >&2; exit 1; }
  echo "$out"
}
ours=() theirs=() strips=()
for ((i = 0; i < reps; i++)); do
  a() { ours+=("$(timed "$long" "$probe" --timeout 120 -- "$cutwright" "$long")"); }
  b() { theirs+=("$(timed "$long" "$probe" --timeout 120 -- mpv --no-config --really-quiet "$long")"); }
  if ((i % 2)); then b; a; else a; b; fi
  strips+=("$(timed "$long" "$import" "$long")")
done
minutes=()
for ((i = 0; i < reps; i++)); do
  minutes+=("$(timed "$minute" "$import" "$minute")")
done

column() { printf '%s\n' "${@:2}" | awk -v c="$1" '{print $c}'; }
summary() { # LABEL UNIT COLUMN VALUES… → "label  median (min–max)"
  local label=$1 unit=$2 c=$3 m lo hi
  shift 3
  # shellcheck disable=SC2046
  read -r m lo hi < <(stats $(column "$c" "$@"))
  printf '  %-44s %8.2f %s (%.2f–%.2f)\n' "$label" "$m" "$unit" "$lo" "$hi"
}
echo "longfile: a ${hours}-hour 1080p30 H.264/AAC file, key frames 10 s apart, $(du -m "$long" | cut -f1) MB,"
echo "launched from a cold page cache; medians of $reps (min–max)"
printf '  cutwright first picture (frame cpu window): %s\n' "$(printf '%s; ' "${ours[@]}")"
printf '  mpv first picture (frame cpu window):       %s\n' "$(printf '%s; ' "${theirs[@]}")"
printf '  cutwright import (first all cpu rss peak anon files): %s\n' "$(printf '%s; ' "${strips[@]}")"
printf '  the minute (first all cpu rss peak anon files):       %s\n' "$(printf '%s; ' "${minutes[@]}")"
summary "first picture, cutwright" s 1 "${ours[@]}"
summary "first picture, mpv" s 1 "${theirs[@]}"
summary "first filmstrip frame on screen" s 1 "${strips[@]}"
summary "all 24 filmstrip frames on screen" s 2 "${strips[@]}"
summary "processor time until then" s 3 "${strips[@]}"
summary "resident once loaded, the long file" MB 4 "${strips[@]}"
summary "resident once loaded, the minute" MB 4 "${minutes[@]}"
awk -v a="$(column 1 "${ours[@]}" | median)" -v b="$(column 1 "${theirs[@]}" | median)" \
  -v s="$(column 2 "${strips[@]}" | median)" \
  -v r="$(column 4 "${strips[@]}" | median)" -v m="$(column 4 "${minutes[@]}" | median)" 'BEGIN {
    printf "  first picture ratio cutwright/mpv %.2f; all 24 filmstrip frames / mpv first picture %.1f;\n", a / b, s / b
    printf "  resident memory ratio long file/minute %.2f\n", r / m }'
