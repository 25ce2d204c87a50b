#!/usr/bin/env bash
# Runs intro.exe under Wine.
#  - With a usable display ($DISPLAY answers): in a window, until you press
#    Escape or close it.
#  - Without one: on a private virtual display with a PulseAudio null sink for
#    about RUN_SECONDS (20) seconds, saving a screenshot (taken after
#    SHOT_SECONDS, 8) and a WAV recording of what it played under out/.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
ROOT=$PWD
WIN32_BUILD=${INTRO_WIN32_BUILD:-build/win32}
case $WIN32_BUILD in /*) ;; *) WIN32_BUILD=$ROOT/$WIN32_BUILD ;; esac
INTRO_EXE=$WIN32_BUILD/platform/win32/intro.exe
RUN_SECONDS=${RUN_SECONDS:-20}
SHOT_SECONDS=${SHOT_SECONDS:-8}  # page 0 is typed and holding by then
[ -f "$INTRO_EXE" ] || { echo "run: $INTRO_EXE is missing; run scripts/build-win32.sh" >&2; exit 2; }

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "run: starting intro.exe on $DISPLAY (Escape ends it)"
  WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine "$INTRO_EXE"
  exit $?
fi

mkdir -p out
OUT=$ROOT/out
WORK=$(mktemp -d /tmp/intro-run.XXXXXX)
source "$ROOT/scripts/e2e/lib.sh"
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "run: no display here; running intro.exe headless for ${RUN_SECONDS} s"
start_xvfb && start_pulse && make_prefix || exit 1
start_recording "$WORK/intro.wav"
start_intro run
WINDOW=$(find_window) || { echo "run: the intro window did not appear" >&2; exit 1; }
raise_sound_priority
xdotool windowfocus "$WINDOW" 2>/dev/null
sleep "$SHOT_SECONDS"
# The window with its frame and caption, as it sits centred on the screen.
import -window root -crop 534x390+245+189 +repage "$OUT/intro-screenshot.png" 2>/dev/null
sleep $((RUN_SECONDS > SHOT_SECONDS ? RUN_SECONDS - SHOT_SECONDS : 0))
xdotool key --window "$WINDOW" Escape 2>/dev/null
code=$(wait_exit run 5) || { echo "run: the intro did not end on Escape" >&2; exit 1; }
sleep 0.5
stop_recording
cp "$WORK/intro.wav" "$OUT/intro.wav"
echo "run: intro.exe ended with exit code $code"
echo "run: screenshot: $OUT/intro-screenshot.png"
echo "run: recording:  $OUT/intro.wav (44100 Hz, 16-bit stereo)"
