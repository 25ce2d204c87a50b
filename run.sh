#!/usr/bin/env bash
# Installs what is missing, builds the intro and runs it:
#   ./run.sh [intro options]  the native intro (bin/intro, SDL2): in a window
#                             when a display exists, otherwise headless for
#                             about 20 seconds, saving a screenshot and a
#                             recording under out/
#   ./run.sh --wine           intro.exe under Wine, the same way
#   ./run.sh --web            the browser version, served on 127.0.0.1
#   ./run.sh --maker          the intro maker in the browser, served on 127.0.0.1,
#                             with the cross-built intro.exe its downloads start from
# Each installs only what it uses (scripts/install-deps.sh intro, wine, web, win32)
# and builds only the intro's targets; ./test.sh installs and builds the rest.
set -euo pipefail
cd "$(dirname "$0")"
case ${1:-} in
  --web)
    # The browser version instead, served on 127.0.0.1 (port: INTRO_WEB_PORT).
    ./scripts/install-deps.sh web
    exec ./scripts/serve-web.sh
    ;;
  --maker)
    # The intro maker, served on 127.0.0.1 (port: INTRO_WEB_PORT), carrying
    # the prebuilt intro.exe that its intro.exe download is made from.
    ./scripts/install-deps.sh web win32
    ./scripts/build-win32.sh
    exec ./scripts/serve-web.sh --maker
    ;;
  --wine)
    ./scripts/install-deps.sh wine
    ./scripts/build-win32.sh
    exec ./scripts/run-wine.sh
    ;;
esac
# Without a display the intro runs on a virtual one: install its tools now too.
groups=(intro)
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then groups+=(headless); fi
if ./scripts/install-deps.sh --check "${groups[@]}"; then
  ./scripts/build-native.sh --intro
else
  # A first run: the compiler first; then SDL2 (and the virtual display's
  # tools) install while everything of the intro that needs neither compiles.
  ./scripts/install-deps.sh compiler
  if [ "$(id -u)" != 0 ]; then sudo -v; fi  # the password now, not amid the build's output
  ./scripts/install-deps.sh "${groups[@]}" &
  installing=$!
  built=0
  ./scripts/build-native.sh --intro-parts || built=$?
  wait "$installing" || { echo "run: installing ${groups[*]} failed (see above)" >&2; exit 1; }
  ((built == 0)) || exit "$built"
  ./scripts/build-native.sh --intro
fi
exec ./scripts/run-native.sh "$@"
