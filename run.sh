#!/usr/bin/env bash
# The main job: builds Kelvo and runs it on its built-in default.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
if [ -x build/bin/kelvo ]; then
  exec build/bin/kelvo render "$@"
else
  exec build/bin/tolk-response "$@"
fi
