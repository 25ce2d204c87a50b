#!/usr/bin/env bash
# Draws docs/modplay-view.png: modplay's terminal view, captured from tmux
# (playing the intro's song source with --watch, into SDL's disk audio driver)
# and set as text with ImageMagick. Needs a native build with modplay.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/native/bin}
work=$(mktemp -d)
socket="modplay-picture-$$"
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
cp src/data/song/intro-song.fcs "$work/"
TERM=xterm tmux -L "$socket" new-session -d -x 64 -y 14 \
  "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null $bin/modplay $work/intro-song.fcs --watch 2>/dev/null"
sleep 1
for key in Right Right Right Right Right; do tmux -L "$socket" send-keys "$key"; sleep 0.3; done
sleep 1.5
touch "$work/intro-song.fcs"  # a save: the view reports the reload
sleep 1.2
tmux -L "$socket" send-keys m 3
sleep 0.25
tmux -L "$socket" capture-pane -p >"$work/view.txt"
tmux -L "$socket" send-keys q
convert -background '#101820' -fill '#d8e0e8' -font DejaVu-Sans-Mono -pointsize 15 \
  -bordercolor "#101820" -border 14 label:"$(sed "s/%/%%/g" "$work/view.txt")" docs/modplay-view.png
echo "wrote docs/modplay-view.png"
