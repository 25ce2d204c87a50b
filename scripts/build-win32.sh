#!/usr/bin/env bash
# Cross-builds intro.exe (x86_64, mingw-w64). The build-time generators (fontc,
# modasm, pagec) are host programs, so a native build provides them first.
#   scripts/build-win32.sh [win32 build dir]     default build/win32
#   INTRO_HOST_BUILD=<dir>                       native build, default build/native
#   INTRO_CONTENT_DIR=<folder>                   build the intro from that folder's
#                                                pages.txt, font.txt and song.fcs
set -euo pipefail
content=() strict=()  # filled by build-common.sh
source "$(dirname "$0")/build-common.sh"
cd "$(dirname "$0")/.."
WIN32_BUILD=${1:-build/win32}
JOBS=${INTRO_JOBS:-2}
build_host_tools

cmake -S . -B "$WIN32_BUILD" -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DINTRO_HOST_TOOLS="$HOST_BUILD/bin" "${strict[@]}" "${content[@]}" >/dev/null
cmake --build "$WIN32_BUILD" -j"$JOBS" --target intro introctl
echo "build-win32: $WIN32_BUILD/platform/win32/intro.exe"
