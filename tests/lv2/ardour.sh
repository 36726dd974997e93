#!/usr/bin/env bash
# Kelvo in Ardour 7, headless: ardour.sh BUILD_DIR WORK_DIR (from hosts.sh, which sets LV2_PATH,
# HOME and the XDG folders to WORK_DIR, and removes it afterwards).
# Two Ardour runs: a Lua session that puts Kelvo on a stereo track, sets GainL, records from the
# dummy backend and saves; then ardour7-export, which reopens the session and exports it. The
# parameter must come back in the reopened session: in the saved session and in the exported sound,
# which must be Kelvo at that setting (lv2apply of the recorded take), not at the default.
set -euo pipefail
build=$1 work=$2
here=$(cd "$(dirname "$0")" && pwd)
stereo=https://quillmarsh.com/plugins/kelvo
session=$work/session
gainL=0.85

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

timeout 120 ardour7-lua "$here/ardour-session.lua" "$session" "$stereo" "$gainL" >"$work/session.log" 2>&1 ||
  fail "the Ardour session run ended with $?: $(grep -v '^$' "$work/session.log" | tail -20)"
grep -q "session: saved" "$work/session.log" || fail "the session was not saved: $(tail -20 "$work/session.log")"
grep -q '<Port symbol="GainL" value="0.85000002384185791"/>' "$session/kelvo.ardour" ||
  fail "the saved session does not hold GainL"
ls "$session"/plugins/*/state*/state.ttl >/dev/null 2>&1 || fail "Ardour saved no state of the plug-in"

# The recorded take, as one stereo file, and what Kelvo makes of it at the setting and at the default.
takes=("$session"/interchange/*/audiofiles/*%L.wav)
[ -f "${takes[0]}" ] || fail "nothing was recorded"
sox -V1 -M "${takes[0]}" "${takes[0]/\%L.wav/%R.wav}" -b 32 -e float "$work/take.wav"
timeout 60 lv2apply -i "$work/take.wav" -o "$work/kelvo-set.wav" -c GainL "$gainL" "$stereo" || fail "lv2apply"
timeout 60 lv2apply -i "$work/take.wav" -o "$work/kelvo-default.wav" "$stereo" || fail "lv2apply"

# Ardour 7.3's exporter itself sometimes dies (SIGABRT or SIGSEGV in its export graph) after the
# file is complete, with or without any plug-in. A run that dies is tried once more; a death after
# a complete export is told apart from one during it (where the plug-in runs) by the log and file.
export_once() {
  rm -f "$work/export.wav"
  set +e
  timeout 120 ardour7-export -b float -o "$work/export.wav" "$session" kelvo >"$work/export.log" 2>&1
  local code=$?
  set -e
  echo "$code"
}
# The log says the export is done and the file holds every frame of the session, header and data.
complete() {
  grep -q "^\* Done" "$work/export.log" && [ -s "$work/export.wav" ] || return 1
  local frames
  frames=$(soxi -s "$work/take.wav")
  [ "$(soxi -s "$work/export.wav" 2>/dev/null)" = "$frames" ] &&
    [ "$(stat -c %s "$work/export.wav")" -ge $((frames * 8)) ]
}
code=$(export_once)
if [ "$code" != 0 ]; then
  first="ardour7-export ended with $code$(complete && echo ' after a complete export')"
  echo "$first; once more" >&2
  code=$(export_once)
  if [ "$code" != 0 ]; then
    complete && [ "$code" -gt 128 ] && [ "$code" != 137 ] ||
      fail "ardour7-export ended with $code twice: $(tail -20 "$work/export.log")"
    echo "ardour7-export died with $code after completing the export, as Ardour 7.3 does" >&2
  fi
fi
[ -s "$work/export.wav" ] || fail "no export"

# Kelvo at the saved GainL, level for level (the first 0.2 s left out: Ardour's instance had been
# running before the export starts, lv2apply's starts from rest); clearly not Kelvo at the default.
python3 "$here/wavcmp.py" "$work/kelvo-set.wav" "$work/export.wav" --levels --skip 0.2 --tolerance 0.01 ||
  fail "the export is not Kelvo at GainL $gainL"
python3 "$here/wavcmp.py" "$work/kelvo-default.wav" "$work/export.wav" --levels --skip 0.2 --tolerance 0.1 \
  >/dev/null && fail "the export sounds like Kelvo at its default GainL"
python3 "$here/wavcmp.py" "$work/take.wav" "$work/export.wav" --levels --skip 0.2 --tolerance 0.1 \
  >/dev/null && fail "the export sounds like the unprocessed take"
echo "ardour: GainL saved and back in the reopened session; the export is Kelvo at GainL $gainL"
