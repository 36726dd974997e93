#!/usr/bin/env bash
# Kelvo.lv2 in lilv's tools, against a peer and against kelvo render:
#   - lv2bench at 512-frame blocks: Kelvo (stereo and mono) against guitarix's Fuzz Face (mono),
#     per channel-sample;
#   - Kelvo's cost per frame at run(1) against run(512);
#   - lv2apply (which runs one frame at a time) against kelvo render on a 10-minute stereo file.
# Each figure is the fastest of three runs, taken in turn, except lv2apply's: one run of about three
# minutes (it reads, runs and writes one frame at a time).
#   bench/host/lv2.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/host/timing.sh
build=$(cd "${1:-build}" && pwd)
built "$build" Kelvo.lv2/Kelvo.so bin/kelvo
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/lv2"
ln -s "$build/Kelvo.lv2" "$tmp/lv2/Kelvo.lv2"
export LV2_PATH="$tmp/lv2:/usr/lib/lv2"
stereo=https://quillmarsh.com/plugins/kelvo
mono=https://quillmarsh.com/plugins/kelvo#mono
fuzzface=http://guitarix.sourceforge.net/plugins/gx_fuzzface_#_fuzzface_

# Seconds lv2bench reports for FRAMES frames of URI in BLOCK-frame runs.
bench() { lv2bench -f -b "$2" -n "$3" "$1" 2>/dev/null | awk -v u="$1" '$4 == u { print $3 }'; }

n=4800000 n1=480000
ks= km= ff= k1= k512=
for run in 1 2 3; do
  ks=$(min "$ks" "$(bench "$stereo" 512 $n)")
  km=$(min "$km" "$(bench "$mono" 512 $n)")
  ff=$(min "$ff" "$(bench "$fuzzface" 512 $n)")
  k1=$(min "$k1" "$(bench "$stereo" 1 $n1)")
  k512=$(min "$k512" "$(bench "$stereo" 512 $n1)")
done
printf 'lv2bench, %d frames of silence at 48 kHz in 512-frame runs, per channel-sample:\n' $n
awk -v ks="$ks" -v km="$km" -v ff="$ff" -v n=$n 'BEGIN {
  printf "  Kelvo (stereo):      %6.2f ns\n", ks / (2 * n) * 1e9
  printf "  Kelvo (mono):        %6.2f ns\n", km / n * 1e9
  printf "  Fuzz Face (mono):    %6.2f ns\n", ff / n * 1e9
  printf "  Kelvo stereo / Fuzz Face: %.2f\n", (ks / (2 * n)) / (ff / n)
}'
printf 'Kelvo (stereo) per frame, %d frames:\n' $n1
awk -v a="$k1" -v b="$k512" -v n=$n1 'BEGIN {
  printf "  run(1):   %7.1f ns\n  run(512): %7.1f ns\n  run(1) / run(512): %.1f\n", a / n * 1e9, b / n * 1e9, a / b
}'

riff "$tmp/in.wav" 600
a=$(seconds lv2apply -i "$tmp/in.wav" -o "$tmp/lv2apply.wav" "$stereo") k=
for run in 1 2 3; do
  k=$(min "$k" "$(seconds "$build/bin/kelvo" render "$tmp/in.wav" "$tmp/kelvo.wav" --quiet)")
done
printf 'input:  10 min stereo 48 kHz 16-bit WAV\n'
awk -v a="$a" -v k="$k" 'BEGIN {
  printf "  lv2apply:     %6.2f s  (%.0fx realtime)\n", a, 600 / a
  printf "  kelvo render: %6.2f s  (%.0fx realtime)\n", k, 600 / k
  printf "  lv2apply / kelvo render: %.1f\n", a / k
}'
