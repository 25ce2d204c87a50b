#!/usr/bin/env bash
# Times intro-capture and prints how many times faster than real time it
# captures, for --lossless (Matroska FFV1 + FLAC) and the default MP4.
# Figures only: nothing is asserted. Other work on the machine lowers them,
# so the load average is printed alongside.
#   scripts/capture-bench.sh [BUILD_DIR] [SECONDS]
# BUILD_DIR: a native build with intro-capture (default build/native)
# SECONDS:   length of each capture (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build/native}
seconds=${2:-30}
capture=$build_dir/bin/intro-capture

if [ ! -x "$capture" ]; then
  echo "capture-bench: $capture not found; build first (scripts/build-native.sh)," \
       "or name the build folder: $0 BUILD_DIR" >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "intro-capture, $seconds s from the start, on $(nproc) cores," \
     "load average $(cut -d' ' -f1-3 /proc/loadavg)"
run() {
  local label=$1
  shift
  local start end
  start=$(date +%s.%N)
  "$capture" --seconds "$seconds" "$@" 2>/dev/null
  end=$(date +%s.%N)
  awk -v label="$label" -v s="$seconds" -v t0="$start" -v t1="$end" -v size="$(stat -c %s "${@: -1}")" \
    'BEGIN { printf "%-28s %6.2f s  %5.1fx real time  %7.0f KiB\n", label, t1 - t0, s / (t1 - t0), size / 1024 }'
}
run "--lossless (FFV1 + FLAC)" --lossless -o "$work/intro.mkv"
run "default MP4 (H.264 + AAC)" -o "$work/intro.mp4"

# The tool's own share: the same capture with an "ffmpeg" that only drains
# the two pipes and leaves an empty file.
mkdir "$work/drain"
cat >"$work/drain/ffmpeg" <<'DRAIN'
#!/bin/sh
cat <&3 >/dev/null & cat <&4 >/dev/null; wait
for last; do :; done; : >"$last"
DRAIN
chmod +x "$work/drain/ffmpeg"
PATH="$work/drain:$PATH" run "picture and sound alone" --lossless -o "$work/drained.mkv"
