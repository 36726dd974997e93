#!/usr/bin/env bash
# Times one `kelvo render ... --out-dir` batch of eight files against rendering
# the same eight files one after another (one kelvo per file), the fastest of
# three runs each, and prints the ratio.
#   bench/host/batch-vs-serial.sh [BUILD_DIR] [SECONDS_PER_FILE]   (default: build 60)
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/host/timing.sh
build=${1:-build}
length=${2:-60}
kelvo=$build/bin/kelvo
built "$build" bin/kelvo
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Eight stereo 48 kHz 16-bit files of plucked notes, each a little different.
notes=(A2 B2 C3 D3 E3 F3 G3 A3)
for i in "${!notes[@]}"; do riff "$tmp/in$i.wav" "$length" "${notes[$i]}"; done

serial() {
  for i in "${!notes[@]}"; do "$kelvo" render "$tmp/in$i.wav" "$tmp/serial$i.wav" --quiet; done
}
s= b=
for run in 1 2 3; do
  s=$(min "$s" "$(seconds serial)")
  b=$(min "$b" "$(seconds "$kelvo" render "$tmp"/in?.wav --out-dir "$tmp/batch" --quiet)")
done
# Both ways give the same files.
for i in "${!notes[@]}"; do cmp -s "$tmp/serial$i.wav" "$tmp/batch/in$i-kelvo.wav" || { echo "in$i differs" >&2; exit 1; }; done
printf 'input:  8 x %s s stereo 48 kHz 16-bit WAV, %s cores\n' "$length" "$(nproc)"
awk -v s="$s" -v b="$b" 'BEGIN {
  printf "one after another: %6.2f s\n", s
  printf "batch --out-dir:   %6.2f s\n", b
  printf "ratio batch/serial: %5.2f\n", b / s
}'
