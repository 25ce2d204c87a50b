#!/usr/bin/env bash
# Builds the native tree in the configurations the other stages of ./test.sh
# do not, with warnings as errors: GCC's optimizers find (sometimes false)
# warnings that differ from level to level. (clang's front end finds its own:
# ./test.sh builds its sanitizer tree with clang 14.)
#   scripts/check-build-types.sh [CONFIG...]   default: the first two below
#     CONFIG   gcc-Release, gcc-MinSizeRel, clang-RelWithDebInfo, or any
#              {gcc,clang}-{Debug,RelWithDebInfo,Release,MinSizeRel}
# Each builds in build/types/CONFIG; the tests are built, not run (the other
# stages run them).
set -euo pipefail
cd "$(dirname "$0")/.." || exit 2
configs=("$@")
((${#configs[@]})) || configs=(gcc-Release gcc-MinSizeRel)
for config in "${configs[@]}"; do
  compiler=${config%%-*} type=${config#*-}
  case $compiler in
    gcc) cc=gcc cxx=g++ ;;
    clang) cc=clang-14 cxx=clang++-14 ;;
    *) echo "check-build-types: unknown compiler in '$config' (gcc or clang)" >&2; exit 2 ;;
  esac
  case $type in
    Debug | RelWithDebInfo | Release | MinSizeRel) ;;
    *) echo "check-build-types: unknown build type in '$config'" \
            "(Debug, RelWithDebInfo, Release or MinSizeRel)" >&2; exit 2 ;;
  esac
  command -v "$cxx" >/dev/null ||
    { echo "check-build-types: $cxx is missing; run scripts/install-deps.sh test" >&2; exit 2; }
  echo "check-build-types: $config"
  CC=$cc CXX=$cxx cmake -S . -B "build/types/$config" -DCMAKE_BUILD_TYPE="$type" \
    -DINTRO_WERROR=ON -DINTRO_REQUIRE_ALL=ON >/dev/null
  # Only the failures' output: a whole tree's progress lines say nothing here.
  if ! cmake --build "build/types/$config" -j"${INTRO_JOBS:-$(nproc)}" >"build/types/$config.log" 2>&1; then
    grep -E -B2 -A12 'error|warning' "build/types/$config.log" | head -80 >&2
    echo "check-build-types: $config failed (whole output: build/types/$config.log)" >&2
    exit 1
  fi
done
echo "check-build-types: ${configs[*]} built"
