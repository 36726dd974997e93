# Helpers the scripts in bench/host source: they define functions and nothing else.

# Exits with a hint when one of FILES (in BUILD_DIR) is missing.
#   built BUILD_DIR FILE...
built() {
  local build=$1 f
  shift
  for f in "$@"; do
    if [ ! -e "$build/$f" ]; then
      echo "no $build/$f: build first (cmake --build $build)" >&2
      exit 1
    fi
  done
}

# SECONDS of two detuned plucked notes per channel, stereo 48 kHz 16-bit, a
# guitar-like load; NOTE (default A2) is the lower one.
#   riff OUT SECONDS [NOTE]
riff() {
  sox -q -n -r 48000 -b 16 -c 2 "$1" synth "$2" pluck "${3:-A2}" pluck E3 remix 1,2 2,1 gain -3
}

# Wall-clock seconds of one command, its output discarded.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

# The smaller of two figures; an empty first one counts as none.
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
