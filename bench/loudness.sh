#!/usr/bin/env bash
# Normalised sound against the source level: 30-second sources (640×360
# picture; quiet speech-like, loud, and dynamic sound, made by
# tests/fixtures/loudness.sh) exported whole as 9:16 at 720 through each
# engine, once at the source level and once normalised. Prints, per source
# and engine, the normalised file's integrated loudness and true peak as
# ffmpeg's ebur128 measures them (the goal: -14 ± 0.5 LUFS, at most -1.0
# dBTP), and what normalising costs: median wall and processor seconds of
# each level (min–max beside the wall medians) and their ratio (the goal: at
# most 1.15), with the measurement before the export alone beside them (the
# part of the cost that the load from elsewhere blurs least). Runs alternate
# which level goes first.
set -euo pipefail
build=${1:-build}
reps=${CW_BENCH_REPS:-5}
bin=$build/bin/bench_loudness
media=$build/bench-media
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export CUTWRIGHT_H264_HARDWARE=${CUTWRIGHT_H264_HARDWARE:-none}

# shellcheck source=/dev/null
source "$here/../tests/fixtures/common.sh"
# shellcheck source=/dev/null
source "$here/../tests/fixtures/loudness.sh"
mkdir -p "$media"
kinds=(quiet loud dynamic)
for kind in "${kinds[@]}"; do
  src=$media/loudness-$kind-30s.mp4
  if [[ ! -f $src ]]; then
    "fixture_loudness_${kind}_mp4" "$src.partial.mp4" 30 640x360
    mv "$src.partial.mp4" "$src"
  fi
done

# "I TP" of a file's sound: ebur128's summary.
loudness() {
  ffmpeg -hide_banner -nostats -nostdin -i "$1" -map 0:a:0 -af ebur128=peak=true -f null - 2>&1 |
    awk '/Summary/ {s = 1} s && /I:/ {i = $2} s && /Peak:/ {p = $2} END {print i, p}'
}
# "wall cpu" seconds of one export (cpu: user + system, the converter included).
seconds() { # source engine level
  local t out=$work/out.mp4
  rm -f "$out"
  t=$(mktemp)
  /usr/bin/time -f '%e %U %S' -o "$t" "$bin" "$1" "$2" "$3" "$out" >/dev/null
  awk '{printf "%s %.2f\n", $1, $2 + $3}' "$t"
  rm -f "$t"
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
spread() { sort -n | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%.2f–%.2f", lo, hi}'; }

echo "loudness: 30 s sources, whole clip 9:16 at 720, median of $reps"
printf '%-8s %-12s %9s %9s %9s   %-24s %-24s %7s   %-15s %7s   %s\n' source engine "src LUFS" "LUFS" \
  "dBTP" "wall source (min–max)" "wall normalized" ratio "cpu src / norm" ratio "measuring"
for kind in "${kinds[@]}"; do
  src=$media/loudness-$kind-30s.mp4
  read -r srcI _ < <(loudness "$src")
  measured=()
  for ((i = 0; i < reps; i++)); do measured+=("$("$bin" "$src" measure)"); done
  ms=$(printf '%s\n' "${measured[@]}" | median)
  for engine in fast composition; do
    plain=() normal=()
    for ((i = 0; i < reps; i++)); do
      if ((i % 2)); then
        normal+=("$(seconds "$src" "$engine" normalized)")
        plain+=("$(seconds "$src" "$engine" source)")
      else
        plain+=("$(seconds "$src" "$engine" source)")
        normal+=("$(seconds "$src" "$engine" normalized)")
      fi
    done
    rm -f "$work/level.mp4"
    "$bin" "$src" "$engine" normalized "$work/level.mp4" >/dev/null
    read -r I TP < <(loudness "$work/level.mp4")
    pw=$(printf '%s\n' "${plain[@]}" | cut -d' ' -f1 | median)
    nw=$(printf '%s\n' "${normal[@]}" | cut -d' ' -f1 | median)
    pc=$(printf '%s\n' "${plain[@]}" | cut -d' ' -f2 | median)
    nc=$(printf '%s\n' "${normal[@]}" | cut -d' ' -f2 | median)
    ps=$(printf '%s\n' "${plain[@]}" | cut -d' ' -f1 | spread)
    ns=$(printf '%s\n' "${normal[@]}" | cut -d' ' -f1 | spread)
    awk -v k="$kind" -v e="$engine" -v si="$srcI" -v i="$I" -v tp="$TP" -v pw="$pw" -v nw="$nw" \
      -v ps="$ps" -v ns="$ns" -v pc="$pc" -v nc="$nc" -v ms="$ms" 'BEGIN {
        printf "%-8s %-12s %9.1f %9.1f %9.1f   %6.2f s (%-13s) %6.2f s (%-13s) %7.3f   %6.2f / %6.2f %7.3f   %.3f s\n",
               k, e, si, i, tp, pw, ps, nw, ns, nw / pw, pc, nc, nc / pc, ms }'
  done
done
