#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tools and the tests
# need and this machine lacks. Needs root (or sudo) only when something is missing.
set -euo pipefail

PACKAGES=(
  cmake make g++ pkg-config            # native build
  libgtest-dev libgmock-dev            # unit tests
  libbenchmark-dev                     # benchmarks
  libpng-dev                           # intro-preview writes PNG
  libsdl2-dev                          # native BMP decoding (SDL_LoadBMP)
  clang-14 libclang-rt-14-dev          # libFuzzer target with ASan/UBSan
  g++-mingw-w64-x86-64                 # win32 cross build (also brings windres)
  wine wine64                          # runs intro.exe
  xvfb xdotool x11-apps imagemagick    # headless display, keys, screenshots
  pulseaudio pulseaudio-utils sox      # null sink, recording, spectrogram
  libncurses-dev tmux                  # modplay's terminal view and its test
  ffmpeg                               # intro-capture encodes through it
  emscripten                           # the web build
  chromium                             # browser tests of the web build
)
PACKAGES+=(firefox-esr)                # the web tests' second browser (scripts/test-web.sh)
# npm installs the browser tests' driver (tests/web); take Debian's only
# where no npm came with the machine's Node.js.
command -v npm >/dev/null || PACKAGES+=(npm)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi
echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
