#!/usr/bin/env bash
# Configures and builds the native tree (core, tools, tests).
#   scripts/build-native.sh [build dir]     default build/native; a relative
#                                           folder is taken from the repository root
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build/native}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
