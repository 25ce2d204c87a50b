#!/usr/bin/env bash
# Renders the intro's built-in song with modrender and draws a spectrogram of
# its first 60 seconds with sox.
#   scripts/spectrogram.sh [BUILD_DIR] [OUT_DIR]
# BUILD_DIR: a native build with modrender (default build/native)
# OUT_DIR:   where song.wav and song-spectrogram.png go (default BUILD_DIR/song)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build/native}
out_dir=${2:-$build_dir/song}
modrender=$build_dir/bin/modrender

if [ ! -x "$modrender" ]; then
  echo "spectrogram: $modrender not found; build first (scripts/build-native.sh)," \
       "or name the build folder: $0 BUILD_DIR" >&2
  exit 2
fi
if ! command -v sox >/dev/null; then
  echo "spectrogram: sox is missing; install it (scripts/install-deps.sh)" >&2
  exit 2
fi
mkdir -p "$out_dir"
wav=$out_dir/song.wav
png=$out_dir/song-spectrogram.png
# Written under temporary names, so a failure leaves no half-made file.
"$modrender" --builtin -o "$wav.tmp.wav"
mv "$wav.tmp.wav" "$wav"
sox "$wav" -n trim 0 60 spectrogram -t "Intro song, first 60 s" -o "$png.tmp.png"
mv "$png.tmp.png" "$png"
echo "rendered:    $wav"
echo "spectrogram: $png"
