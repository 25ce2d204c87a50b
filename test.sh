#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. native build + unit tests (CTest)
#   2. the same unit tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   3. the module fuzzer for a bounded time
#   4. the win32 cross build and the end-to-end tests of intro.exe under Wine
#   5. the web build and its tests in headless Chromium
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

echo "== native build and unit tests"
./scripts/build-native.sh
ctest --test-dir build/native --output-on-failure -j"$(nproc)"

echo "== unit tests under ASan and UBSan"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DINTRO_SANITIZE=ON >/dev/null
cmake --build build/asan -j"$(nproc)"
ctest --test-dir build/asan --output-on-failure -j"$(nproc)"

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing the module loader and replayer"
  ./scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
fi

if [ -d platform/win32 ] && [ -x scripts/build-win32.sh ]; then
  echo "== win32 build"
  ./scripts/build-win32.sh
fi

if [ -x scripts/e2e/run-all.sh ]; then
  echo "== end-to-end tests under Wine"
  ./scripts/e2e/run-all.sh
fi

if [ -x scripts/test-web.sh ]; then
  echo "== web build and its tests in headless Chromium"
  ./scripts/test-web.sh
fi
echo "== all tests passed"
