#!/usr/bin/env bash
# Times `kelvo render` of a 10-minute stereo 48 kHz 16-bit file against
# `sox IN OUT overdrive` on the same file, the fastest of three runs each,
# and prints the ratio.
#   bench/host/render-vs-sox.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/host/timing.sh
build=${1:-build}
kelvo=$build/bin/kelvo
built "$build" bin/kelvo
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

riff "$tmp/in.wav" 600

# The fastest of three runs of each, taken in turn, so that a moment of
# other load on the machine does not decide the ratio.
k= s=
for run in 1 2 3; do
  k=$(min "$k" "$(seconds "$kelvo" render "$tmp/in.wav" "$tmp/kelvo.wav" --quiet)")
  s=$(min "$s" "$(seconds sox -q "$tmp/in.wav" "$tmp/sox.wav" overdrive)")
done
printf 'input:  10 min stereo 48 kHz 16-bit WAV\n'
awk -v k="$k" -v s="$s" 'BEGIN {
  printf "kelvo render:    %6.2f s  (%.0fx realtime)\n", k, 600 / k
  printf "sox overdrive:   %6.2f s  (%.0fx realtime)\n", s, 600 / s
  printf "ratio kelvo/sox: %6.2f\n", k / s
}'
