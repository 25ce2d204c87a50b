#!/usr/bin/env bash
# Installs what is missing, builds intro.exe and runs it under Wine: in a
# window when a display exists, otherwise headless for about 20 seconds,
# saving a screenshot and a recording under out/. ./run.sh --web builds the
# browser version and serves it on 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
# --web: the browser version instead, served on 127.0.0.1 (port: INTRO_WEB_PORT).
if [ "${1:-}" = "--web" ]; then
  exec ./scripts/serve-web.sh
fi
./scripts/build-native.sh
./scripts/build-win32.sh
./scripts/run-wine.sh
