#!/usr/bin/env bash
# Builds the browser version with Debian's emscripten and writes the page as
# a self-contained folder: index.html and everything it loads.
#   scripts/build-web.sh [site folder]     default build/web
#   INTRO_HOST_BUILD=<dir>                 native build for fontc, modasm and
#                                          pagec, default build/native
#   INTRO_CONTENT_DIR=<folder>             build the intro from that folder's
#                                          pages.txt, font.txt and song.fcs
set -euo pipefail
content=() strict=()  # filled by build-common.sh
source "$(dirname "$0")/build-common.sh"
cd "$(dirname "$0")/.."
SITE=$(realpath -m -- "${1:-build/web}")
CMAKE_BUILD=build/web-cmake
JOBS=${INTRO_JOBS:-2}
# emcc runs its JavaScript optimizer under the system node, which may not
# search Debian's module folder (then: "Cannot find module 'acorn'").
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

if ! command -v emcmake >/dev/null; then
  echo "build-web: emcmake not found; run scripts/install-deps.sh (Debian package emscripten)" >&2
  exit 1
fi
build_host_tools

emcmake cmake -S . -B "$CMAKE_BUILD" -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DINTRO_HOST_TOOLS="$HOST_BUILD/bin" -DINTRO_WEB_SITE="$SITE" "${strict[@]}" "${content[@]}" >/dev/null
cmake --build "$CMAKE_BUILD" -j"$JOBS" --target web_page

# The page must stay small: the whole folder at most 128 KiB.
raw=$(cat "$SITE"/* | wc -c)
packed=0
for file in "$SITE"/*; do packed=$((packed + $(gzip -9c "$file" | wc -c))); done
echo "build-web: $SITE: $raw bytes, $packed bytes gzipped file by file"
if ((raw > 128 * 1024)); then
  echo "build-web: the page is larger than 128 KiB ($raw bytes)" >&2
  exit 1
fi
