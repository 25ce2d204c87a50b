#!/usr/bin/env bash
# Runs the native intro (build/native/bin/intro).
#  - With a usable display ($DISPLAY or $WAYLAND_DISPLAY): in a window, until
#    you press Escape or close it. Arguments are passed on (intro --help).
#  - Without one: on a private virtual display for about RUN_SECONDS (20)
#    seconds, saving a screenshot (taken after SHOT_SECONDS, 8) and a WAV
#    recording of what it played (through SDL's disk audio driver) under out/;
#    what that needs is installed first (scripts/install-deps.sh headless).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
ROOT=$PWD
INTRO=$ROOT/${INTRO_HOST_BUILD:-build/native}/bin/intro
RUN_SECONDS=${RUN_SECONDS:-20}
SHOT_SECONDS=${SHOT_SECONDS:-8}  # page 0 is typed and holding by then
[ -x "$INTRO" ] || { echo "run: $INTRO is missing; run scripts/build-native.sh" >&2; exit 2; }

if [ -n "${WAYLAND_DISPLAY:-}" ] ||
   { [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; }; then
  echo "run: starting the intro (Escape ends it, F11 switches to full screen)"
  exec "$INTRO" "$@"
fi

"$ROOT/scripts/install-deps.sh" headless || exit 1
mkdir -p out
OUT=$ROOT/out
WORK=$(mktemp -d /tmp/intro-run.XXXXXX)
source "$ROOT/scripts/e2e/lib.sh"
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "run: no display here; running the intro headless for ${RUN_SECONDS} s"
XVFB_NO_RESET=1 start_xvfb || exit 1
(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/intro.raw "$INTRO" --scale 1 --seconds "$RUN_SECONDS" \
  >"$WORK/intro.log" 2>&1; echo $? >"$WORK/exit.run") &
remember $!
WINDOW=$(find_window) || { echo "run: the intro window did not appear (see $WORK/intro.log)" >&2; exit 1; }
sleep "$SHOT_SECONDS"
import -window "$WINDOW" "$OUT/intro-screenshot.png" 2>/dev/null
for _ in $(seq $((RUN_SECONDS * 10 + 50))); do [ -s "$WORK/exit.run" ] && break; sleep 0.1; done
[ -s "$WORK/exit.run" ] || { echo "run: the intro did not end after ${RUN_SECONDS} s" >&2; exit 1; }
sox -q -t raw -r 44100 -e signed-integer -b 16 -c 2 -L "$WORK/intro.raw" "$OUT/intro.wav" ||
  { echo "run: could not turn the recording into a WAV file" >&2; exit 1; }
echo "run: the intro ended with exit code $(cat "$WORK/exit.run")"
echo "run: screenshot: $OUT/intro-screenshot.png (528x384)"
echo "run: recording:  $OUT/intro.wav (44100 Hz, 16-bit stereo)"
