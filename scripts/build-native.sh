#!/usr/bin/env bash
# Configures and builds the native tree (core, tools, tests).
#   scripts/build-native.sh [--intro] [build dir]
#     build dir    default build/native; a relative folder is taken from the
#                  repository root
#     --intro      build only the intro (bin/intro) and the generators its
#                  data needs (fontc, modasm, pagec)
#   INTRO_CONTENT_DIR=<folder>   build the intro from that folder's pages.txt,
#                                font.txt and song.fcs (empty: the intro's own)
#   INTRO_WERROR=ON              warnings are errors (./test.sh, CI)
#   INTRO_REQUIRE_ALL=ON         stop when an optional part (tests, benchmarks,
#                                tools, manual pages, icons) cannot be built
#   INTRO_JOBS                   parallel jobs (default: the number of cores)
set -euo pipefail
content=() strict=()  # filled by build-common.sh
source "$(dirname "$0")/build-common.sh"
cd "$(dirname "$0")/.."
targets=()
if [ "${1:-}" = --intro ]; then
  targets=(--target intro)
  shift
fi
BUILD=${1:-build/native}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${strict[@]}" "${content[@]}" >/dev/null
cmake --build "$BUILD" -j"${INTRO_JOBS:-$(nproc)}" "${targets[@]}"
