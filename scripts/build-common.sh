# shellcheck shell=bash
# Sourced by the build scripts (build-native, build-win32, build-web), before
# they change to the repository root.

# INTRO_CONTENT_DIR, when set, as a CMake argument in the array `content`:
# a relative folder is taken from where the script was started; an empty one
# goes back to the intro's own content.
# shellcheck disable=SC2034 # read by the scripts that source this file
content=()
if [ -n "${INTRO_CONTENT_DIR+set}" ]; then
  content_dir=$INTRO_CONTENT_DIR
  [ -n "$content_dir" ] && content_dir=$(realpath -m -- "$content_dir")
  content=(-DINTRO_CONTENT_DIR="$content_dir")
fi

# INTRO_WERROR=ON (warnings are errors) and INTRO_REQUIRE_ALL=ON (every
# optional part must be found), when set, as CMake arguments in the array
# `strict`; ./test.sh sets both.
# shellcheck disable=SC2034 # read by the scripts that source this file
strict=()
[ -n "${INTRO_WERROR:-}" ] && strict+=(-DINTRO_WERROR="$INTRO_WERROR")
[ -n "${INTRO_REQUIRE_ALL:-}" ] && strict+=(-DINTRO_REQUIRE_ALL="$INTRO_REQUIRE_ALL")

# Call from the repository root. Sets HOST_BUILD to the native build that
# gives the cross builds their build-time generators (INTRO_HOST_BUILD,
# default build/native; absolute, or relative to the root), configuring it
# when needed, and builds the generators (intro-builtin-pack, intro-pack) and
# fontc, modasm and pagec there with JOBS jobs.
build_host_tools() {
  HOST_BUILD=${INTRO_HOST_BUILD:-build/native}
  case $HOST_BUILD in /*) ;; *) HOST_BUILD=$PWD/$HOST_BUILD ;; esac
  if [ ! -f "$HOST_BUILD/CMakeCache.txt" ]; then
    cmake -S . -B "$HOST_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${strict[@]}" >/dev/null
  fi
  cmake --build "$HOST_BUILD" -j"$JOBS" --target intro-builtin-pack fontc modasm pagec intro-pack
}
