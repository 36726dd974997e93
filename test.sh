#!/usr/bin/env bash
# Builds everything and runs the test suite.
#   ./test.sh             plain build in build/
#   ./test.sh --sanitize  AddressSanitizer and UndefinedBehaviorSanitizer build in build-asan/
#   ./test.sh --tsan      ThreadSanitizer build in build-tsan/
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
build=build
args=()
case "${1:-}" in
  "") ;;
  --sanitize) build=build-asan; args+=(-DKELVO_SANITIZE=ON) ;;
  --tsan) build=build-tsan; args+=(-DKELVO_TSAN=ON) ;;
  *) echo "usage: $0 [--sanitize|--tsan]" >&2; exit 2 ;;
esac
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1}
cmake -S . -B "$build" -G Ninja "${args[@]}" >/dev/null
cmake --build "$build"
ctest --test-dir "$build" -j2 --output-on-failure --timeout 300
