#!/usr/bin/env bash
# Builds the fuzz targets into build-fuzz/ and runs them from their seed corpora.
#   fuzz/run.sh TARGET|all SECONDS [RUNS]
# TARGET is a fuzz program's name without the fuzz_ prefix (state, classinfo, ...; its CMake target
# is FuzzState, FuzzClassinfo, ...).
# Each target runs SECONDS, or until it has executed RUNS inputs when that comes first; new
# inputs it finds go to build-fuzz/corpus/TARGET (the committed seeds stay as they are); a crash
# leaves its input in build-fuzz/crashes/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
targets="state classinfo aupreset files blob props png text raster"
if [ $# -lt 2 ] || [ $# -gt 3 ] || ! [[ "$2" =~ ^[0-9]+$ ]] || ! [[ "${3:-0}" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 TARGET|all SECONDS [RUNS]   (targets: $targets)" >&2
  exit 2
fi
which="$1" seconds="$2" runs="${3:--1}"
[ "$which" = all ] || targets="$which"
build=build-fuzz
cmake -S . -B "$build" -G Ninja -DKELVO_FUZZ=ON -DKELVO_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 --target $(for t in $targets; do printf 'Fuzz%s ' "${t^}"; done)
mkdir -p "$build/crashes"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=0
for t in $targets; do
  seeds=fuzz/corpus/$t
  [ -d "$seeds" ] || { echo "no seed corpus $seeds" >&2; exit 2; }
  mkdir -p "$build/corpus/$t"
  echo "== fuzz_$t for ${seconds}s"
  if ! "$build/bin/fuzz_$t" -max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
      -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/crashes/$t-" \
      "$build/corpus/$t" "$seeds" 2>"$build/fuzz_$t.log"; then
    echo "fuzz_$t FAILED: see $build/fuzz_$t.log and $build/crashes/" >&2
    tail -n 40 "$build/fuzz_$t.log" >&2
    failed=1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/fuzz_$t.log" | sed "s/^/fuzz_$t /" || true
done
exit $failed
