#!/usr/bin/env bash
# Configures and builds the native tree (core, tools, tests).
#   scripts/build-native.sh [build dir]     default build/native; a relative
#                                           folder is taken from the repository root
#   INTRO_CONTENT_DIR=<folder>   build the intro from that folder's pages.txt,
#                                font.txt and song.fcs (empty: the intro's own)
set -euo pipefail
source "$(dirname "$0")/build-common.sh"
cd "$(dirname "$0")/.."
BUILD=${1:-build/native}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${content[@]}" >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
