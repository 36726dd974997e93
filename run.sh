#!/usr/bin/env bash
# The main job: builds Kelvo and runs it on its built-in default.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -G Ninja >/dev/null
# Only what the main job needs: the bundle and kelvo (./test.sh builds everything).
cmake --build build --target Kelvo kelvo
# Without arguments: the built-in demo riff into kelvo-demo.wav; kelvo says what it did.
build/bin/kelvo render "$@"
# And a picture of the editor at its defaults, as a host shows it, in kelvo-editor.png.
exec build/bin/kelvo editor --png kelvo-editor.png
