#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. native build + unit tests (CTest)
#   2. the other build types (GCC Release and MinSizeRel), built with
#      warnings as errors
#   3. the same unit tests under AddressSanitizer and UndefinedBehaviorSanitizer,
#      built with clang 14
#   4. the threaded tests and the native intro under ThreadSanitizer
#   5. the module fuzzer for a bounded time
#   6. the end-to-end tests of the native intro (SDL2) under Xvfb
#   7. the win32 cross build
#   8. the web build and its tests (the page and the intro maker) in headless
#      Chromium and Firefox ESR
#   9. the end-to-end tests of intro.exe under Wine, the intro maker's
#      downloaded one among them
#  10. the Debian package, checked with lintian, and the scripts with shellcheck
# Every stage is required: a missing script or folder stops the run with an
# error before anything is built, so "all tests passed" means all of them ran.
set -euo pipefail
cd "$(dirname "$0")"

missing=0
require() {
  local path=$1 stage=$2
  if [ ! -e "$path" ]; then
    echo "test.sh: $path is missing, so the $stage stage cannot run" >&2
    missing=1
  elif [ "${path%.sh}" != "$path" ] && [ ! -x "$path" ]; then
    echo "test.sh: $path is not executable (chmod +x $path); the $stage stage needs it" >&2
    missing=1
  fi
}
require scripts/install-deps.sh "dependency"
require scripts/build-native.sh "native build"
require scripts/check-build-types.sh "build type"
require scripts/test-tsan.sh "ThreadSanitizer"
require scripts/fuzz.sh "fuzzing"
require fuzz/CMakeLists.txt "fuzzing"
require scripts/e2e/native.sh "native end-to-end"
require platform/win32 "win32 build"
require scripts/build-win32.sh "win32 build"
require scripts/e2e/run-all.sh "end-to-end"
require scripts/test-web.sh "web"
require platform/web "web"
require scripts/build-deb.sh "package"
require scripts/check-scripts.sh "script check"
if [ "$missing" != 0 ]; then
  echo "test.sh: stopped before running anything; restore the files above" >&2
  exit 1
fi

# Each stage prints how long it took; the end (or a failure) prints them all
# with the total, so a slow stage shows where the run's time goes.
stage_names=() stage_seconds=() current_stage="" stage_started=0
duration() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }
end_stage() {
  [ -n "$current_stage" ] || return 0
  local took=$((SECONDS - stage_started))
  stage_names+=("$current_stage") stage_seconds+=("$took")
  echo "== $current_stage: $(duration "$took")"
  current_stage=""
}
stage() {
  end_stage
  current_stage=$1 stage_started=$SECONDS
  echo "== $1"
}
print_stage_times() {
  local status=$? i
  if [ -n "$current_stage" ]; then
    stage_names+=("$current_stage (stopped here)") stage_seconds+=("$((SECONDS - stage_started))")
  fi
  echo "== stage times"
  for i in "${!stage_names[@]}"; do
    printf '  %8s  %s\n' "$(duration "${stage_seconds[$i]}")" "${stage_names[$i]}"
  done
  printf '  %8s  total\n' "$(duration "$SECONDS")"
  return "$status"
}
trap print_stage_times EXIT

stage "installing what is missing"
./scripts/install-deps.sh all
# Here warnings are errors and no optional part may be left out.
export INTRO_WERROR=ON INTRO_REQUIRE_ALL=ON

stage "shell scripts (shellcheck)"
./scripts/check-scripts.sh

stage "native build and unit tests"
./scripts/build-native.sh
ctest --test-dir build/native --output-on-failure -j"$(nproc)"

stage "the other build types, warnings as errors"
./scripts/check-build-types.sh

# Built with clang 14, so this tree is also clang's build with warnings as
# errors (its front end's warnings do not depend on the build type).
stage "unit tests under ASan and UBSan (clang 14)"
CC=clang-14 CXX=clang++-14 cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DINTRO_SANITIZE=ON \
  -DINTRO_WERROR=ON -DINTRO_REQUIRE_ALL=ON >/dev/null
cmake --build build/asan -j"$(nproc)"
ctest --test-dir build/asan --output-on-failure -j"$(nproc)"

stage "the threaded tests and the native intro under ThreadSanitizer"
./scripts/test-tsan.sh

stage "fuzzing the module loader and replayer, then the content-pack reader"
./scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

stage "end-to-end tests of the native intro under Xvfb"
./scripts/e2e/native.sh

stage "win32 build"
./scripts/build-win32.sh

stage "web build and its tests in headless Chromium and Firefox ESR"
./scripts/test-web.sh

# After the web tests: they leave the intro maker's downloaded intro.exe,
# which one of these runs under Wine.
stage "end-to-end tests under Wine"
INTRO_REQUIRE_MAKER_EXE=1 ./scripts/e2e/run-all.sh

stage "the Debian package (lintian, desktop-file-validate, appstreamcli)"
./scripts/build-deb.sh
end_stage
echo "== all tests passed"
