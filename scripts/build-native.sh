#!/usr/bin/env bash
# Configures and builds the native tree (core, tools, tests).
#   scripts/build-native.sh [build dir]     default build/native; a relative
#                                           folder is taken from the repository root
#   INTRO_CONTENT_DIR=<folder>   build the intro from that folder's pages.txt,
#                                font.txt and song.fcs (empty: the intro's own)
set -euo pipefail
content=()
if [ -n "${INTRO_CONTENT_DIR+set}" ]; then
  dir=$INTRO_CONTENT_DIR
  [ -n "$dir" ] && dir=$(realpath -m -- "$dir")
  content=(-DINTRO_CONTENT_DIR="$dir")
fi
cd "$(dirname "$0")/.."
BUILD=${1:-build/native}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${content[@]}" >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
