#!/usr/bin/env bash
# Configures and builds the native tree (core, tools, tests).
#   scripts/build-native.sh [--intro | --intro-parts] [build dir]
#     build dir      default build/native; a relative folder is taken from the
#                    repository root
#     --intro        build only the intro (bin/intro) and intro-pack, which
#                    packs its content
#     --intro-parts  build only what the intro links besides SDL2 (the core,
#                    its content, intro-pack): ./run.sh does this while SDL2
#                    is being installed
#   A new build folder made for --intro or --intro-parts is a Release build
#   (nothing to debug, quicker to compile); otherwise, and for the whole tree,
#   RelWithDebInfo. A folder that exists keeps its build type.
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
build_type=RelWithDebInfo
case ${1:-} in
  --intro | --intro-parts)
    targets=(--target "${1#--}")
    build_type=Release
    shift
    ;;
esac
BUILD=${1:-build/native}
type=()
if ((${#targets[@]} == 0)) || [ ! -f "$BUILD/CMakeCache.txt" ]; then
  type=(-DCMAKE_BUILD_TYPE="$build_type")
fi
cmake -S . -B "$BUILD" "${type[@]}" "${strict[@]}" "${content[@]}" >/dev/null
cmake --build "$BUILD" -j"${INTRO_JOBS:-$(nproc)}" "${targets[@]}"
