#!/usr/bin/env bash
# Cross-builds intro.exe (x86_64, mingw-w64). The build-time generators (fontc,
# modasm, pagec) are host programs, so a native build provides them first.
#   scripts/build-win32.sh [win32 build dir]     default build/win32
#   INTRO_HOST_BUILD=<dir>                       native build, default build/native
#   INTRO_CONTENT_DIR=<folder>                   build the intro from that folder's
#                                                pages.txt, font.txt and song.fcs
set -euo pipefail
content=()
if [ -n "${INTRO_CONTENT_DIR+set}" ]; then
  dir=$INTRO_CONTENT_DIR
  [ -n "$dir" ] && dir=$(realpath -m -- "$dir")
  content=(-DINTRO_CONTENT_DIR="$dir")
fi
cd "$(dirname "$0")/.."
WIN32_BUILD=${1:-build/win32}
HOST_BUILD=${INTRO_HOST_BUILD:-build/native}
# Relative folders are taken from the repository root, absolute ones as they are.
case $HOST_BUILD in /*) ;; *) HOST_BUILD=$PWD/$HOST_BUILD ;; esac
JOBS=${INTRO_JOBS:-2}

host_tools=()
for tool in fontc modasm pagec; do
  [ -f "tools/$tool/CMakeLists.txt" ] && host_tools+=("$tool")
done
if [ ! -f "$HOST_BUILD/CMakeCache.txt" ]; then
  cmake -S . -B "$HOST_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if ((${#host_tools[@]})); then
  cmake --build "$HOST_BUILD" -j"$JOBS" --target "${host_tools[@]}"
fi

cmake -S . -B "$WIN32_BUILD" -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DINTRO_HOST_TOOLS="$HOST_BUILD/bin" "${content[@]}" >/dev/null
cmake --build "$WIN32_BUILD" -j"$JOBS" --target intro introctl
echo "build-win32: $WIN32_BUILD/platform/win32/intro.exe"
