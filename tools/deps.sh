#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the host need, when any is missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config
      libgtest-dev libgmock-dev googletest libbenchmark-dev
      libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
      libsndfile1-dev libplist-dev libplist-utils sox lv2-dev
      libx11-dev libxext-dev libxtst-dev)
# The LV2 hosts the tests run Kelvo.lv2 in, a peer plug-in for the benchmark, and the X server and
# input tools of the editor's tests; without their recommendations (Ardour's would bring a desktop).
hosts=(sordi lilv-utils jalv jackd2 ardour guitarix-lv2 python3
       xvfb xdotool x11-utils binutils)
if [ "${KELVO_FUZZ:-}" = 1 ]; then pkgs+=(clang libclang-rt-14-dev); fi
if [ "${KELVO_CLANG:-}" = 1 ]; then pkgs+=(clang clang-format); fi
missing=() missing_hosts=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
for p in "${hosts[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing_hosts+=("$p")
done
if [ $((${#missing[@]} + ${#missing_hosts[@]})) -gt 0 ]; then
  echo "installing: ${missing[*]} ${missing_hosts[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2
  if [ ${#missing[@]} -gt 0 ]; then apt-get install -y -qq "${missing[@]}" >&2; fi
  if [ ${#missing_hosts[@]} -gt 0 ]; then apt-get install -y -qq --no-install-recommends "${missing_hosts[@]}" >&2; fi
fi
