#!/usr/bin/env bash
# Builds the browser version with Debian's emscripten and writes the page as
# a self-contained folder: index.html and everything it loads.
#   scripts/build-web.sh [site folder]     default build/web
#   INTRO_HOST_BUILD=<dir>                 native build for fontc, modasm,
#                                          pagec and font-pixels, default
#                                          build/native
#   INTRO_MAKER_SITE=<folder>              the intro maker's folder, default
#                                          build/maker beside the site
#   INTRO_MAKER_SHELL=<intro.exe>          the prebuilt intro.exe the maker
#                                          carries, default build/win32's
#   INTRO_CONTENT_DIR=<folder>             build the intro from that folder's
#                                          pages.txt, font.txt and song.fcs
set -euo pipefail
content=() strict=()  # filled by build-common.sh
source "$(dirname "$0")/build-common.sh"
cd "$(dirname "$0")/.."
SITE=$(realpath -m -- "${1:-build/web}")
MAKER_SITE=$(realpath -m -- "${INTRO_MAKER_SITE:-$(dirname "$SITE")/maker}")
MAKER_SHELL=$(realpath -m -- "${INTRO_MAKER_SHELL:-build/win32/platform/win32/intro.exe}")
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
# The maker's page code is bundled by esbuild with its packages (CodeMirror,
# fflate, and mediabunny for the video), all from npm as pinned in
# platform/maker/package-lock.json; npm ci runs again when the lock changes.
lock_digest=$(sha256sum platform/maker/package-lock.json | cut -d' ' -f1)
if [ "$(cat platform/maker/node_modules/.installed-lock 2>/dev/null)" != "$lock_digest" ]; then
  (cd platform/maker && npm ci --no-audit --no-fund --loglevel=error) ||
    { echo "build-web: npm ci failed in platform/maker (the maker's page packages)" >&2; exit 1; }
  echo "$lock_digest" >platform/maker/node_modules/.installed-lock
fi
# The page's own lines take the font as decoded by the intro's decoder.
cmake --build "$HOST_BUILD" -j"$JOBS" --target font-pixels

emcmake cmake -S . -B "$CMAKE_BUILD" -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DINTRO_HOST_TOOLS="$HOST_BUILD/bin" -DINTRO_WEB_SITE="$SITE" \
  -DINTRO_MAKER_SITE="$MAKER_SITE" -DINTRO_MAKER_SHELL="$MAKER_SHELL" "${strict[@]}" "${content[@]}" >/dev/null
cmake --build "$CMAKE_BUILD" -j"$JOBS" --target web_page maker_page

# The page must stay small: the whole folder at most 128 KiB.
raw=$(cat "$SITE"/* | wc -c)
packed=0
for file in "$SITE"/*; do packed=$((packed + $(gzip -9c "$file" | wc -c))); done
echo "build-web: $SITE: $raw bytes, $packed bytes gzipped file by file"
if ((raw > 128 * 1024)); then
  echo "build-web: the page is larger than 128 KiB ($raw bytes)" >&2
  exit 1
fi

# The maker's folder, intro.exe and the code editors included, should stay within 1 MiB.
maker_raw=$(find "$MAKER_SITE" -type f -exec cat {} + | wc -c)
maker_packed=$(find "$MAKER_SITE" -type f -exec gzip -9c {} \; | wc -c)
echo "build-web: $MAKER_SITE (the intro maker): $maker_raw bytes, $maker_packed bytes gzipped file by file"
# The first load: what the page fetches before the maker is ready, all but
# what it fetches after that (the web folder and intro.exe for the downloads,
# the song.wav and video controls, the sound worklet), the renders (loaded
# when asked for), the install icons and the licences.
first_load=0 later=0
while IFS= read -r -d '' file; do
  case ${file#"$MAKER_SITE"/} in
    web/* | intro.exe | export*.js | export.wasm | maker-worklet.js | maker-icon-*.png | maker-licenses.txt)
      later=$((later + $(gzip -9c "$file" | wc -c))) ;;
    *) first_load=$((first_load + $(gzip -9c "$file" | wc -c))) ;;
  esac
done < <(find "$MAKER_SITE" -type f -print0)
echo "build-web: the intro maker's first load: $first_load bytes gzipped file by file" \
  "(its page code, maker-page.js: $(gzip -9c "$MAKER_SITE/maker-page.js" | wc -c) bytes);" \
  "then, for the downloads and the exports, $later bytes more"
if ((first_load > 300 * 1024)); then
  echo "build-web: the intro maker's first load is larger than 300 KiB gzipped ($first_load bytes)" >&2
  exit 1
fi
[ -f "$MAKER_SITE/intro.exe" ] || echo "build-web: no $MAKER_SHELL (scripts/build-win32.sh makes it): the maker offers no intro.exe" >&2
if ((maker_raw > 1024 * 1024)); then
  echo "build-web: the intro maker is larger than 1 MiB ($maker_raw bytes)" >&2
fi
