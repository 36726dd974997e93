#!/usr/bin/env bash
# Formats the tree's C and C++ sources with clang-format and the .clang-format at the top.
#   tools/format.sh          formats every tracked source in place
#   tools/format.sh --check  changes nothing; lists the files that differ and fails when any does
set -euo pipefail
cd "$(dirname "$0")/.."
mode=format
case "${1:-}" in
  "") ;;
  --check) mode=check ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
command -v clang-format >/dev/null || { echo "clang-format is not installed (apt-get install clang-format)" >&2; exit 2; }
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
if [ "$mode" = format ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -r clang-format -i --style=file
  exit 0
fi
# One clang-format run over every file; each file that differs is named in its diagnostics.
mapfile -t differ < <(printf '%s\0' "${files[@]}" | xargs -0 -r clang-format --dry-run --Werror --style=file 2>&1 |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
[ ${#differ[@]} = 0 ] && exit 0
printf '%s\n' "${differ[@]}"
echo "${#differ[@]} files differ from .clang-format; run tools/format.sh" >&2
exit 1
