#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the host need, when any is missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config
      libgtest-dev libgmock-dev googletest libbenchmark-dev
      libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
      libsndfile1-dev libplist-dev libplist-utils sox
      lv2-dev sordi lilv-utils jalv jackd2 ardour guitarix-lv2)
if [ "${KELVO_FUZZ:-}" = 1 ]; then pkgs+=(clang libclang-rt-14-dev); fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2
  apt-get install -y -qq "${missing[@]}" >&2
fi
