# Sourced by the build scripts (build-native, build-win32, build-web), before
# they change to the repository root.

# INTRO_CONTENT_DIR, when set, as a CMake argument in the array `content`:
# a relative folder is taken from where the script was started; an empty one
# goes back to the intro's own content.
content=()
if [ -n "${INTRO_CONTENT_DIR+set}" ]; then
  content_dir=$INTRO_CONTENT_DIR
  [ -n "$content_dir" ] && content_dir=$(realpath -m -- "$content_dir")
  content=(-DINTRO_CONTENT_DIR="$content_dir")
fi

# Call from the repository root. Sets HOST_BUILD to the native build that
# gives the cross builds their build-time generators (INTRO_HOST_BUILD,
# default build/native; absolute, or relative to the root), configuring it
# when needed, and builds fontc, modasm and pagec there with JOBS jobs.
build_host_tools() {
  HOST_BUILD=${INTRO_HOST_BUILD:-build/native}
  case $HOST_BUILD in /*) ;; *) HOST_BUILD=$PWD/$HOST_BUILD ;; esac
  if [ ! -f "$HOST_BUILD/CMakeCache.txt" ]; then
    cmake -S . -B "$HOST_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$HOST_BUILD" -j"$JOBS" --target fontc modasm pagec
}
