#!/usr/bin/env bash
# Installs what is missing, builds the intro and runs it:
#   ./run.sh [intro options]  the native intro (bin/intro, SDL2): in a window
#                             when a display exists, otherwise headless for
#                             about 20 seconds, saving a screenshot and a
#                             recording under out/
#   ./run.sh --wine           intro.exe under Wine, the same way
#   ./run.sh --web            the browser version, served on 127.0.0.1
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
# --web: the browser version instead, served on 127.0.0.1 (port: INTRO_WEB_PORT).
if [ "${1:-}" = "--web" ]; then
  exec ./scripts/serve-web.sh
fi
./scripts/build-native.sh
if [ "${1:-}" = --wine ]; then
  ./scripts/build-win32.sh
  exec ./scripts/run-wine.sh
fi
exec ./scripts/run-native.sh "$@"
