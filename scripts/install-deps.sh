#!/usr/bin/env bash
# Installs, from Debian's packages, what the named groups need and this
# machine lacks. Needs root (or sudo) only when something is missing.
#   scripts/install-deps.sh [--check] [GROUP...]     default: all
#     --check   install nothing: exit 0 when every package is there, 1 if not
#     compiler  cmake, make and g++: enough for the core and the content tools
#     intro     build the native intro (./run.sh): the compiler and SDL2
#     headless  run it on a virtual display, with a screenshot and a recording
#     tools     intro-preview's PNG output, modplay's terminal view, intro-capture's ffmpeg
#     win32     cross-build intro.exe (the intro maker carries it)
#     wine      cross-build intro.exe and run it under Wine (./run.sh --wine)
#     web       build the browser version (./run.sh --web)
#     test      everything ./test.sh runs: unit, fuzz, end-to-end, browser and
#               package tests (includes all of the above)
#     all       the same as test
set -euo pipefail

# Each group's packages. The lean groups (intro, headless, tools) leave out
# recommended packages: the first run installs only what it uses.
COMPILER=(
  cmake make g++                       # native build
)
INTRO=(
  "${COMPILER[@]}"
  libsdl2-dev                          # window, texture, events, audio device, BMP decoding
  xdotool                              # asks whether the display answers
)
HEADLESS=(
  xvfb xdotool                         # virtual display, finding the window
  imagemagick                          # screenshots (import)
  sox                                  # the recording as a WAV file
)
TOOLS=(
  libpng-dev                           # intro-preview writes PNG
  libncurses-dev                       # modplay's terminal view
  ffmpeg                               # intro-capture encodes through it
)
WIN32=(
  g++-mingw-w64-x86-64                 # win32 cross build (also brings windres)
)
WINE=(
  wine wine64                          # runs intro.exe
  pulseaudio pulseaudio-utils          # null sink and recording
)
WEB=(
  emscripten                           # the web build; python3 serves it
)
TEST=(
  libgtest-dev libgmock-dev            # unit tests
  libbenchmark-dev                     # benchmarks
  clang-14 libclang-rt-14-dev          # libFuzzer target with ASan/UBSan; the clang build
  x11-apps tmux                        # xwd for the end-to-end checks, modplay's view test
  chromium firefox-esr                 # browser tests of the web build
  dpkg-dev                             # dpkg-shlibdeps computes the package's Depends
  help2man                             # manual pages from --help
  lintian                              # checks the .deb
  desktop-file-utils appstream         # check the menu entry and the AppStream metainfo
  shellcheck                           # checks the scripts
)

lean=()
full=()
add_group() {
  case $1 in
    compiler) lean+=("${COMPILER[@]}") ;;
    intro) lean+=("${INTRO[@]}") ;;
    headless) lean+=("${HEADLESS[@]}") ;;
    tools) lean+=("${TOOLS[@]}") ;;
    win32) lean+=("${INTRO[@]}"); full+=("${WIN32[@]}") ;;
    wine) lean+=("${INTRO[@]}" "${HEADLESS[@]}"); full+=("${WIN32[@]}" "${WINE[@]}") ;;
    web)
      lean+=("${INTRO[@]}"); full+=("${WEB[@]}")
      # npm installs the maker's video muxer and its bundler (platform/maker).
      command -v npm >/dev/null || full+=(npm)
      ;;
    test | all)
      lean+=("${INTRO[@]}" "${HEADLESS[@]}" "${TOOLS[@]}")
      full+=("${WIN32[@]}" "${WINE[@]}" "${WEB[@]}" "${TEST[@]}")
      # npm installs the browser tests' driver (tests/web) and the maker's
      # packages; take Debian's only where no npm came with the machine's Node.js.
      command -v npm >/dev/null || full+=(npm)
      ;;
    *)
      echo "install-deps: unknown group '$1' (compiler, intro, headless, tools, win32, wine, web, test, all)" >&2
      exit 2
      ;;
  esac
}
check=0
if [ "${1:-}" = --check ]; then
  check=1
  shift
fi
if (($# == 0)); then set -- all; fi
for group in "$@"; do add_group "$group"; done

# The packages of the list given that are not installed yet, once each.
missing_of() {
  local p
  declare -A seen=()
  for p in "$@"; do
    [ -n "${seen[$p]:-}" ] && continue
    seen[$p]=1
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t lean_missing < <(missing_of "${lean[@]}")
mapfile -t full_missing < <(((${#full[@]} == 0)) || missing_of "${full[@]}")
if ((${#lean_missing[@]} + ${#full_missing[@]} == 0)); then
  exit 0
fi
((check == 0)) || exit 1

echo "install-deps: installing ${lean_missing[*]} ${full_missing[*]}"
SUDO=()
if [ "$(id -u)" != 0 ]; then SUDO=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
install_missing() {
  if ((${#lean_missing[@]})); then
    "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${lean_missing[@]}" >/dev/null || return 1
  fi
  if ((${#full_missing[@]})); then
    "${SUDO[@]}" apt-get install -y -qq "${full_missing[@]}" >/dev/null || return 1
  fi
}
# The package lists are read again only when they lack a package (a fresh
# machine has none) or when installing from them fails (they are stale).
listed=1
for p in "${lean_missing[@]}" "${full_missing[@]}"; do
  apt-cache show --no-all-versions "$p" >/dev/null 2>&1 || { listed=0; break; }
done
if [ "$listed" = 1 ] && install_missing 2>/dev/null; then
  exit 0
fi
"${SUDO[@]}" apt-get update -qq
install_missing
