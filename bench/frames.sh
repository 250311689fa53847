#!/usr/bin/env bash
# Still frames and exact seeks against the command-line tools, on 10 minutes of
# 1080p25 H.264 with a key frame every 2 s and the same with one every 10 s:
#   (a) the filmstrip (24 frames, strip height 90) against 24 separate
#       `ffmpeg -ss T -i F -frames:v 1 -vf scale=270:-2` runs, back to back;
#   (b) the same 24 frames taken from their key frames only (the floor);
#   (c) black-bar detection against 7 `ffmpeg -ss T … cropdetect` runs;
#   (d) the median latency of an exact seek to a random time: the player with
#       no video output until its picture is in place, against mpv's own
#       command-line player doing the same over its IPC socket; and, under
#       Xvfb, the player until the video surface has drawn the new frame;
#       and FFmpeg's decoder alone decoding the same frames, the floor.
# CW_BENCH_REPS runs of each frame job (default 3), CW_BENCH_SEEKS seeks (20).
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-3}
nseeks=${CW_BENCH_SEEKS:-20}
bin=$build/bin/bench_frames
media=$build/bench-media
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
mkdir -p "$media"

# Ten seconds encoded once, then looped by stream copy: quick to make.
make_media() { # out gop
  [[ -f $1 ]] && return
  local piece="$1.piece.mp4"
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=10 \
    -c:v libx264 -preset veryfast -crf 23 -pix_fmt yuv420p -g "$2" -keyint_min "$2" \
    -sc_threshold 0 "$piece"
  ffmpeg -hide_banner -nostdin -loglevel error -y -stream_loop 59 -i "$piece" -c copy \
    -movflags +faststart "$1.partial.mp4"
  mv "$1.partial.mp4" "$1"
  rm -f "$piece"
}
gop2=$media/frames-10min-1080p-gop2s.mp4
gop10=$media/frames-10min-1080p-gop10s.mp4
make_media "$gop2" 50
make_media "$gop10" 250

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
report() { # label ours theirs theirname
  awk -v l="$1" -v a="$2" -v b="$3" -v n="$4" 'BEGIN {
    printf "%-40s cutwright %8.3f s   %-8s %8.3f s   ratio %.3f\n", l, a, n, b, a / b }'
}
elapsed() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
duration() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }

ffmpeg_strip() { # file duration
  local i t
  for i in $(seq 0 23); do
    t=$(echo "($i + 0.5) * $2 / 24" | bc -l)
    ffmpeg -hide_banner -nostdin -loglevel error -ss "$t" -i "$1" -frames:v 1 \
      -vf scale=270:-2 -f null -
  done
}
ffmpeg_bars() { # file duration
  local k t
  for k in $(seq 0 6); do
    t=$(echo "$2 * (0.1 + $k * 0.8 / 6)" | bc -l)
    ffmpeg -hide_banner -nostdin -loglevel error -ss "$t" -i "$1" -frames:v 1 \
      -vf scale=480:-2,cropdetect -f null -
  done
}

# mpv's own player: paused, no video or audio output, exact seeks over IPC,
# each timed until its playback-restart event.
mpv_seeks() { # file times
  command -v mpv >/dev/null || return 1
  python3 - "$1" "$2" <<'PY'
import json, os, socket, subprocess, sys, tempfile, time
path, times = sys.argv[1], [float(t) for t in sys.argv[2].split(",")]
sock = os.path.join(tempfile.mkdtemp(), "mpv.sock")
mpv = subprocess.Popen(["mpv", "--no-config", "--really-quiet", "--pause", "--keep-open=yes",
                        "--vo=null", "--ao=null", "--hr-seek=yes",
                        "--input-ipc-server=" + sock, path])
for _ in range(200):
    if os.path.exists(sock):
        break
    time.sleep(0.05)
s = socket.socket(socket.AF_UNIX)
s.connect(sock)
f = s.makefile("r")
def send(*cmd):
    s.sendall((json.dumps({"command": list(cmd)}) + "\n").encode())
def wait(event):
    for line in f:
        if json.loads(line).get("event") == event:
            return
def opened():
    # The duration is unavailable until the file has opened: ask again.
    while True:
        send("get_property", "duration")
        for line in f:
            msg = json.loads(line)
            if "error" in msg:
                if msg["error"] == "success":
                    return float(msg["data"])
                break
        time.sleep(0.05)
opened()
for t in times:
    start = time.monotonic()
    send("seek", t, "absolute+exact")
    wait("playback-restart")
    print("%.6f" % (time.monotonic() - start))
send("quit")
mpv.wait()
PY
}

for file in "$gop2" "$gop10"; do
  name=$(basename "$file" .mp4)
  d=$(duration "$file")
  ours=() floor=() bars=() theirs=() crop=() mpvseek=
  for _ in $(seq "$reps"); do
    ours+=("$("$bin" thumbs "$file" 1)")
    floor+=("$("$bin" floor "$file" 1)")
    bars+=("$("$bin" borders "$file" 1)")
    theirs+=("$(elapsed ffmpeg_strip "$file" "$d")")
    crop+=("$(elapsed ffmpeg_bars "$file" "$d")")
  done
  o=$(printf '%s\n' "${ours[@]}" | median)
  f=$(printf '%s\n' "${floor[@]}" | median)
  b=$(printf '%s\n' "${bars[@]}" | median)
  t=$(printf '%s\n' "${theirs[@]}" | median)
  c=$(printf '%s\n' "${crop[@]}" | median)
  echo "-- $name"
  report "filmstrip, 24 frames" "$o" "$t" ffmpeg
  report "filmstrip vs its key-frame floor" "$o" "$f" floor
  report "black bars, 7 frames" "$b" "$c" ffmpeg
  # The same random times for both players.
  times=$(python3 -c "import random; r = random.Random(20240601); print(','.join('%.3f' % r.uniform(0, $d - 1) for _ in range($nseeks)))")
  ourseek=$("$bin" seek "$file" "$times" | median)
  if mpvseek=$(mpv_seeks "$file" "$times" | median) && [[ -n $mpvseek ]]; then
    report "exact seek, median (no video output)" "$ourseek" "$mpvseek" mpv
  else
    echo "exact seek, median (no video output)     cutwright $ourseek s   (mpv not installed)"
  fi
  # The floor under both: FFmpeg's decoder alone, kept open, decoding each
  # frame from its key frame (frames nothing refers to skipped, as both
  # players skip them). An exact frame cannot come sooner than this.
  decoded=$("$bin" decode "$file" "$times" | median)
  report "exact seek vs the decoder alone" "$ourseek" "$decoded" decoder
  [[ -n ${mpvseek:-} ]] && report "the decoder alone vs mpv" "$decoded" "$mpvseek" mpv
  if command -v xvfb-run >/dev/null; then
    drawn=$(QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
      "$bin" seek "$file" "$times" window | median)
    echo "exact seek to the frame drawn, median    cutwright $drawn s"
  fi
done
