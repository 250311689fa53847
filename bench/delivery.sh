#!/usr/bin/env bash
# What each export engine delivers from each kind of source a phone or camera
# hands over: every source (3 s) goes out whole as a centred 9:16 clip through
# the fast path and through the composition, and ffprobe reads back what a
# platform's upload checks read. Not a race: it prints one Markdown table, the
# facts to hold against the platforms' rules, whatever the engines do today.
#   bash bench/delivery.sh [BUILD_DIR]     CW_DELIVERY_SIDE=720 for the smaller size
#
# Columns: which engine wrote the file (the fast path quietly hands a clip it
# fails to the composition; libx264's settings in the stream tell them apart),
# the frame rates, H.264 profile, pixel format and level, the longest run between key frames
# ("≥" when the run to the end is the longest), how many key frames are IDR
# (all IDR means every GOP is closed), colour tags (primaries/transfer/matrix/
# range), each stream's start, video length less sound length, the edit lists
# (where each track starts in its media, "gap" for an empty edit first),
# whether the index comes before the data, and the sound's layout and rate.
set -euo pipefail
build=${1:-build}
bin=$build/bin/bench_export
side=${CW_DELIVERY_SIDE:-1080}
media=$build/bench-media/delivery
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$media"

ff() { ffmpeg -hide_banner -nostdin -loglevel error -y "$@"; }
picture() { echo "testsrc2=size=1280x720:rate=$1:duration=3"; }
stereo=(-f lavfi -i "sine=frequency=440:sample_rate=48000:duration=3" -ac 2)
# Tagged BT.709 as a camera tags it, so that the table shows whether tags survive.
h264=(-c:v libx264 -preset veryfast -pix_fmt yuv420p -g 60
  -color_primaries bt709 -color_trc bt709 -colorspace bt709 -color_range tv)
aac=(-c:a aac -b:a 128k -shortest)
# A phone's HDR: HEVC Main 10 tagged BT.2020 with the HLG or the PQ curve.
hdr() { # transfer out
  ff -f lavfi -i "$(picture 30)" "${stereo[@]}" -vf format=yuv420p10le \
    -c:v libx265 -preset ultrafast -x265-params log-level=error -tag:v hvc1 \
    -color_primaries bt2020 -color_trc "$1" -colorspace bt2020nc -color_range tv "${aac[@]}" "$2"
}

kinds=("120 fps" "100 fps" "VFR 60/30/24" "59.94 fps" "23.976 fps" "HLG" "PQ" "5.1 sound"
  "mono sound" "no sound")
make_source() { # kind out
  case $1 in
  "120 fps") ff -f lavfi -i "$(picture 120)" "${stereo[@]}" "${h264[@]}" "${aac[@]}" "$2" ;;
  "100 fps") ff -f lavfi -i "$(picture 100)" "${stereo[@]}" "${h264[@]}" "${aac[@]}" "$2" ;;
  # One second each at 60, 30 and 24 frames a second, kept as they came.
  "VFR 60/30/24")
    ff -f lavfi -i "$(picture 120)" "${stereo[@]}" \
      -vf "select='if(lt(t,1),not(mod(n,2)),if(lt(t,2),not(mod(n,4)),not(mod(n,5))))'" \
      -fps_mode vfr "${h264[@]}" "${aac[@]}" "$2" ;;
  "59.94 fps") ff -f lavfi -i "$(picture 60000/1001)" "${stereo[@]}" "${h264[@]}" "${aac[@]}" "$2" ;;
  "23.976 fps") ff -f lavfi -i "$(picture 24000/1001)" "${stereo[@]}" "${h264[@]}" "${aac[@]}" "$2" ;;
  HLG) hdr arib-std-b67 "$2" ;;
  PQ) hdr smpte2084 "$2" ;;
  "5.1 sound")
    ff -f lavfi -i "$(picture 30)" -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=3" \
      -af "pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0" "${h264[@]}" "${aac[@]}" "$2" ;;
  "mono sound")
    ff -f lavfi -i "$(picture 30)" -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=3" \
      -ac 1 "${h264[@]}" "${aac[@]}" "$2" ;;
  "no sound") ff -f lavfi -i "$(picture 30)" "${h264[@]}" "$2" ;;
  esac
}

# One stream's fields as key=value lines.
stream() { ffprobe -v error -select_streams "$1" -show_entries "stream=$2" -of default=nw=1 "$3"; }
get() { awk -v k="$1" '{ i = index($0, "=") } substr($0, 1, i - 1) == k { print substr($0, i + 1); exit }' <<<"$2"; }
num() { awk -v x="$1" 'BEGIN { if (x == "" || x == "N/A") print "—"; else printf "%.3f", x }'; }

# Longest run between key frames, in seconds, from the video packets' flags.
key_gap() {
  ffprobe -v error -select_streams v:0 -show_entries packet=pts_time,flags -of csv=p=0 "$1" |
    awk -F, '{ t = $1 + 0; if (t > end) end = t; if ($2 ~ /K/) k[n++] = t }
      END {
        for (i = 1; i < n; i++) if (k[i] - k[i - 1] > gap) gap = k[i] - k[i - 1]
        tail = end - k[n - 1]
        if (tail > gap) printf "≥%.2f", tail; else printf "%.2f", gap }'
}

# Key frames whose packet holds an IDR slice (NAL type 5), of all key frames.
idr_keys() {
  ffmpeg -hide_banner -nostdin -i "$1" -map 0:v:0 -c copy -bsf:v trace_headers -f null - 2>&1 |
    awk '/Packet:/ { if (inpkt && key) { keys++; if (idr) idrs++ } inpkt = 1; key = /key frame/; idr = 0 }
      /nal_unit_type/ && $NF == 5 { idr = 1 }
      END { if (inpkt && key) { keys++; if (idr) idrs++ } printf "%d/%d", idrs, keys }'
}

# The top-level boxes in order and each track's edit list, from the demuxer's trace.
boxes() {
  local bases
  bases=$(ffprobe -v error -show_entries stream=index,codec_type,time_base -of csv=p=0 "$1")
  ffprobe -v trace "$1" 2>&1 | awk -v bases="$bases" '
    BEGIN { n = split(bases, l, "\n"); for (i = 1; i <= n; i++) { split(l[i], f, ","); kind[f[1]] = substr(f[2], 1, 1); split(f[3], tb, "/"); base[f[1]] = tb[1] / tb[2] } }
    /parent:.root./ { match($0, /type:.[a-z]+/); top = top " " substr($0, RSTART + 6, RLENGTH - 6) }
    /time scale = / && !movie { movie = $NF }
    /track\[[0-9]+\]\.edit_count/ { match($0, /\[[0-9]+\]/); tr = substr($0, RSTART + 1, RLENGTH - 2); left = $NF; text = "" }
    /duration=.* time=.* rate=/ && left > 0 {
      split($0, w, /[= ]+/); for (j in w) { if (w[j] == "duration") d = w[j + 1]; if (w[j] == "time") t = w[j + 1] }
      text = text (text == "" ? "" : "+") (t == -1 ? sprintf("gap %.3f", d / movie) : sprintf("%.3f", t * base[tr]))
      if (--left == 0) edits = edits (edits == "" ? "" : " · ") kind[tr] " " text
    }
    END { m = index(top, " moov"); d = index(top, " mdat")
          printf "%s\t%s\n", edits == "" ? "none" : edits, (m && (!d || m < d)) ? "yes" : "no" }'
}

written_by() {
  if grep -qa ' rc=abr ' "$1"; then echo fast
  elif grep -qa ' rc=crf ' "$1"; then echo composition
  else echo "?"; fi
}

row() { # engine kind file
  local v a colour level
  v=$(stream v:0 r_frame_rate,avg_frame_rate,profile,pix_fmt,level,color_primaries,color_transfer,color_space,color_range,start_time,duration "$3")
  a=$(stream a:0 start_time,duration,channel_layout,sample_rate "$3")
  level=$(get level "$v")
  [[ $level =~ ^[0-9]+$ ]] && level="$((level / 10)).$((level % 10))"
  colour="$(get color_primaries "$v")/$(get color_transfer "$v")/$(get color_space "$v")/$(get color_range "$v")"
  local diff="—" sound="none"
  if [[ -n $a ]]; then
    diff=$(awk -v x="$(get duration "$v")" -v y="$(get duration "$a")" 'BEGIN { printf "%+.3f", x - y }')
    sound="$(get channel_layout "$a") $(get sample_rate "$a")"
  fi
  local edits first
  IFS=$'\t' read -r edits first < <(boxes "$3")
  printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' \
    "$1" "$2" "$(written_by "$3")" "$(get r_frame_rate "$v")" "$(get avg_frame_rate "$v")" \
    "$(get profile "$v") $(get pix_fmt "$v")" "$level" "$(key_gap "$3")" "$(idr_keys "$3")" "$colour" \
    "$(num "$(get start_time "$v")")" "$(num "$(get start_time "$a")")" "$diff" "$edits" "$first" "$sound"
}

for kind in "${kinds[@]}"; do
  src=$media/${kind//[^A-Za-z0-9]/_}.mp4
  if [[ ! -f $src ]]; then
    make_source "$kind" "$src.partial.mp4"
    mv "$src.partial.mp4" "$src"
  fi
done

echo "delivery: each source whole (3 s) as a centred 9:16 clip at $side, read with ffprobe"
echo
echo "| engine | source | written by | r_frame_rate | avg_frame_rate | profile, pixels | level | longest key gap (s) | IDR keys | colour | video start | sound start | video − sound (s) | edit lists (s) | index first | sound |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
for engine in fast composition; do
  for kind in "${kinds[@]}"; do
    src=$media/${kind//[^A-Za-z0-9]/_}.mp4
    out=$work/$engine
    rm -rf "$out" && mkdir -p "$out"
    if ! "$bin" run "$src" "$side" "$engine" "$out" 1 >/dev/null 2>"$work/err"; then
      echo "| $engine | $kind | failed: $(tr '\n' ' ' <"$work/err") |"
      continue
    fi
    row "$engine" "$kind" "$out/clip1.mp4"
  done
done
