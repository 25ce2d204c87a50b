#!/usr/bin/env bash
# Installs what is missing, builds the intro and runs it:
#   ./run.sh [intro options]  the native intro (bin/intro, SDL2): in a window
#                             when a display exists, otherwise headless for
#                             about 20 seconds, saving a screenshot and a
#                             recording under out/
#   ./run.sh --wine           intro.exe under Wine, the same way
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build-native.sh
if [ "${1:-}" = --wine ]; then
  ./scripts/build-win32.sh
  exec ./scripts/run-wine.sh
fi
exec ./scripts/run-native.sh "$@"
