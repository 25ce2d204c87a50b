#!/usr/bin/env bash
# Installs what is missing, builds the intro and runs it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build-native.sh
mkdir -p out
build/native/bin/intro-preview --steps 400 -o out/frame.png
echo "run: the intro's screen after 400 frame steps is in $(pwd)/out/frame.png"
