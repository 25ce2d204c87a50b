#!/usr/bin/env bash
# The threaded parts under ThreadSanitizer: the DirectSound streamer's logic
# against its threaded fake, modplay's playback (its tests and the program on
# SDL's disk driver), and the native intro for 3 seconds on a virtual display
# with SDL's disk audio driver, its feeder and callback threads running.
# Any report fails the run.
#   scripts/test-tsan.sh [build dir]     default build/tsan
#   INTRO_HOST_BUILD=<dir>               native build for the generators (default build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build/tsan}
HOST_BUILD=$(realpath -m -- "${INTRO_HOST_BUILD:-build/native}")
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 ${TSAN_OPTIONS:-}"

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DINTRO_TSAN=ON \
  -DINTRO_HOST_TOOLS="$HOST_BUILD/bin" >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target intro modplay platform_tests \
  modplay_playback_tests modasm modrender
ctest --test-dir "$BUILD" --output-on-failure -R '^(BlockStreamerTest|modplay)\.'

work=$(mktemp -d /tmp/intro-tsan.XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "test-tsan: intro --seconds 3 on a virtual display with SDL's disk audio driver"
if ! SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/disk.raw" \
  xvfb-run -a -s "-screen 0 1024x768x24" "$BUILD/bin/intro" --seconds 3 >"$work/intro.log" 2>&1; then
  cat "$work/intro.log" >&2
  echo "test-tsan: intro failed or ThreadSanitizer reported a race (above)" >&2
  exit 1
fi
if grep -q "ThreadSanitizer" "$work/intro.log"; then
  cat "$work/intro.log" >&2
  exit 1
fi
echo "test-tsan: no race reported; $(($(stat -c %s "$work/disk.raw") / 4)) frames reached SDL"
