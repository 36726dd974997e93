#!/usr/bin/env bash
# Runs Kelvo.lv2 in real LV2 hosts, one check per call:
#   hosts.sh BUILD_DIR validate|lv2apply|jalv|ardour
# Every host runs under a time limit; whatever this script starts in the background is stopped by
# its process id when the script ends. Each check prints what it compared and exits 0 when it holds.
set -euo pipefail

build=$(cd "$1" && pwd)
check=$2
here=$(cd "$(dirname "$0")" && pwd)
stereo=https://quillmarsh.com/plugins/kelvo
mono=https://quillmarsh.com/plugins/kelvo#mono

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvo-lv2-$check.XXXXXX")
started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${started[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The hosts find the bundle through a folder that holds only a link to it, then the system's.
mkdir "$work/lv2"
ln -s "$build/Kelvo.lv2" "$work/lv2/Kelvo.lv2"
export LV2_PATH="$work/lv2:/usr/lib/lv2"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"

# Whether two audio files hold the same samples, as stored (sox would clip floats above 1).
same() { python3 "$here/wavcmp.py" "$1" "$2" >/dev/null 2>&1; }

# A short plucked test file: CHANNELS, NAME.
make_input() {
  if [ "$1" = 1 ]; then
    sox -n -r 48000 -c 1 -b 32 -e float "$2" synth 1.5 pluck 110 vol 0.6
  else
    sox -n -r 48000 -c 2 -b 32 -e float "$2" synth 1.5 pluck 110 pluck 164.8 vol 0.6
  fi
}

# kelvo render without a settling pre-roll, where kelvo has one.
render_opts=(--quiet)
if "$build/bin/kelvo" render --help 2>&1 | grep -q -- --no-settle; then render_opts+=(--no-settle); fi

case "$check" in
validate)
  out=$(timeout 60 lv2_validate "$build"/Kelvo.lv2/*.ttl 2>&1) || fail "lv2_validate: $out"
  grep -q "Found 0 errors" <<<"$out" || fail "lv2_validate: $out"
  list=$(timeout 30 lv2ls)
  for uri in "$stereo" "$mono"; do grep -qx "$uri" <<<"$list" || fail "lv2ls does not list $uri"; done
  # Every port with its symbol and range, as the plug-in has them; the factory preset.
  for uri in "$stereo" "$mono"; do
    info=$(timeout 30 lv2info "$uri") || fail "lv2info $uri"
    flat=$(tr -s ' \t\n' ' ' <<<"$info")
    for want in "Symbol: OUT Name: OUT Minimum: -40.000000 Maximum: 0.000000 Default: -15.000000" \
                "Symbol: GainM Name: GainM Minimum: 0.000000 Maximum: 1.000000 Default: 0.700000" \
                "Symbol: GainL Name: GainL Minimum: 0.050000 Maximum: 0.980000 Default: 0.300000" \
                "Symbol: Bypass Name: Bypass Minimum: 0.000000 Maximum: 1.000000 Default: 0.000000" \
                "Symbol: quality Name: Quality Minimum: 0.000000 Maximum: 127.000000 Default: 0.000000" \
                "Symbol: latency Name: Latency Designation: http://lv2plug.in/ns/lv2core#latency" \
                '0.0 = "standard"' '64.0 = "high"' '127.0 = "best"' \
                "Presets: -" "Author: Quillmarsh"; do
      grep -qF -- "$want" <<<"$flat" || fail "lv2info $uri lacks: $want"
    done
    grep -q "lv2core#toggled" <<<"$info" || fail "lv2info $uri: Bypass is not a switch"
    grep -q "lv2core#reportsLatency" <<<"$info" || fail "lv2info $uri: no port reports the latency"
    grep -q "Required Features" <<<"$info" && fail "lv2info $uri: a required feature"
  done
  grep -qF "Name: Kelvo (mono)" <<<"$(lv2info "$mono" | tr -s " ")" || fail "the mono plug-in's name"
  grep -qF "Symbol: in_r" <<<"$(lv2info "$stereo" | tr -s " ")" || fail "the stereo plug-in's right input"
  grep -qF "Symbol: in_r" <<<"$(lv2info "$mono" | tr -s " ")" && fail "the mono plug-in has a right input"
  echo "validate: lv2_validate found no error; lv2ls and lv2info show both plug-ins, their ports and ranges"
  ;;

lv2apply)
  # lv2apply runs one frame at a time, passes no feature, and sets the controls before its
  # first run: the result must equal kelvo render of the same file, sample for sample.
  for ch in 1 2; do
    uri=$stereo
    [ "$ch" = 1 ] && uri=$mono
    make_input "$ch" "$work/in$ch.wav"
    for settings in "GainL=0.8 OUT=-6" "GainL=0.05 GainM=0.1 OUT=0" "Bypass=1"; do
      sets=() controls=()
      for s in $settings; do
        sets+=(--set "$s")
        controls+=(-c "${s%%=*}" "${s#*=}")
      done
      timeout 120 lv2apply -i "$work/in$ch.wav" -o "$work/lv2.wav" "${controls[@]}" "$uri" ||
        fail "lv2apply $uri $settings"
      timeout 120 "$build/bin/kelvo" render "$work/in$ch.wav" "$work/au.wav" "${sets[@]}" "${render_opts[@]}" ||
        fail "kelvo render $settings"
      same "$work/lv2.wav" "$work/au.wav" || fail "$uri with $settings differs from kelvo render"
      if [ "$settings" = Bypass=1 ]; then
        same "$work/lv2.wav" "$work/in$ch.wav" || fail "$uri bypassed changes the sound"
      else
        same "$work/lv2.wav" "$work/in$ch.wav" && fail "$uri with $settings leaves the sound as it was"
      fi
      echo "lv2apply: $ch channel(s), $settings: equal to kelvo render"
    done
  done
  # At the best quality kelvo render drops the unit's latency and lv2apply does not: lv2apply's
  # output is kelvo's, sample for sample, the latency (5 frames) later.
  for ch in 1 2; do
    uri=$stereo
    [ "$ch" = 1 ] && uri=$mono
    timeout 120 lv2apply -i "$work/in$ch.wav" -o "$work/lv2.wav" -c quality 127 -c GainL 0.8 "$uri" ||
      fail "lv2apply $uri at quality 127"
    timeout 120 "$build/bin/kelvo" render "$work/in$ch.wav" "$work/au.wav" --quality best --set GainL=0.8 \
      "${render_opts[@]}" || fail "kelvo render --quality best"
    cmp=$(python3 "$here/wavcmp.py" "$work/au.wav" "$work/lv2.wav" --shift-max 8) ||
      fail "$uri at quality 127 differs from kelvo render --quality best: $cmp"
    grep -q "^largest difference 0 at shift 5 " <<<"$cmp" || fail "$uri at quality 127: $cmp, not 5 frames late"
    echo "lv2apply: $ch channel(s), quality 127: kelvo render --quality best, 5 frames later"
  done
  # Misuse is refused with lv2apply's own codes and leaves no output.
  rm -f "$work/bad.wav"
  set +e
  timeout 60 lv2apply -i "$work/in2.wav" -o "$work/bad.wav" -c NoSuch 1 "$stereo" 2>/dev/null; code=$?
  set -e
  [ "$code" = 7 ] || fail "an unknown control gave $code, not 7"
  ;;

jalv)
  server="kelvo-jack$$" name="kelvo$$"
  jackd -n "$server" -r -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
  started+=($!)
  export JACK_DEFAULT_SERVER=$server JACK_NO_AUDIO_RESERVATION=1
  timeout 15 jack_wait -w -t 10 >/dev/null 2>&1 || fail "jackd did not start: $(cat "$work/jackd.log")"
  mkfifo "$work/commands"
  timeout 60 jalv -n "$name" "$stereo" <"$work/commands" >"$work/jalv.log" 2>&1 &
  jalv_pid=$!
  started+=($jalv_pid)
  exec 3>"$work/commands"
  for _ in $(seq 100); do
    jack_lsp 2>/dev/null | grep -q "^$name:out_r$" && break
    sleep 0.1
  done
  jack_lsp | grep -q "^$name:in_l$" || fail "jalv's ports: $(cat "$work/jalv.log")"
  echo "set GainL 0.85" >&3
  echo "OUT = -3.5" >&3
  sleep 0.3
  echo "controls" >&3
  # A click every 50 ms into the left input, the left output recorded for a second.
  jack_metro -n "metro$$" -b 1200 -f 880 -D 5 3>&- >/dev/null 2>&1 &
  started+=($!)
  for _ in $(seq 50); do jack_lsp 2>/dev/null | grep -q "^metro$$:" && break; sleep 0.1; done
  jack_connect "metro$$:1200_bpm" "$name:in_l" || fail "connecting the click"
  timeout 20 jack_rec -f "$work/rec.wav" -d 1 "$name:out_l" 3>&- >/dev/null 2>&1 || fail "jack_rec"
  exec 3>&-
  wait "$jalv_pid" || fail "jalv exited with $?: $(cat "$work/jalv.log")"
  grep -q "GainL = 0.850000" "$work/jalv.log" || fail "GainL not read back: $(cat "$work/jalv.log")"
  grep -q "OUT = -3.500000" "$work/jalv.log" || fail "OUT not read back: $(cat "$work/jalv.log")"
  peak=$(sox "$work/rec.wav" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
  awk -v p="$peak" 'BEGIN { exit !(p > 0.01) }' || fail "the recording through Kelvo is silent (peak $peak)"
  echo "jalv: controls set and read back, a click recorded through Kelvo peaks at $peak, jalv exited cleanly"
  ;;

ardour)
  bash ${KELVO_TRACE:+-x} "$here/ardour.sh" "$build" "$work"
  ;;

*)
  fail "unknown check $check"
  ;;
esac
