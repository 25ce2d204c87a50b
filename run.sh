#!/usr/bin/env bash
# Installs what is missing, builds intro.exe and runs it under Wine: in a
# window when a display exists, otherwise headless for about 20 seconds,
# saving a screenshot and a recording under out/.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build-native.sh
./scripts/build-win32.sh
./scripts/run-wine.sh
