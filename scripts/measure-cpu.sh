#!/usr/bin/env bash
# Prints how much CPU the intro uses while it types: user + system time from
# /proc over MEASURE_SECONDS (30) seconds, on a private Xvfb with a PulseAudio
# null sink, as a share of one core. A figure, not a test.
#   scripts/measure-cpu.sh          the native intro (build/native/bin/intro);
#                                   also the time from start to the first typed
#                                   character
#   scripts/measure-cpu.sh --wine   intro.exe under Wine, with the Wine server
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
ROOT=$PWD
MEASURE_SECONDS=${MEASURE_SECONDS:-30}
SETTLE_SECONDS=2  # after the window appears: start-up and first page under way
HZ=$(getconf CLK_TCK)
MODE=native
case "${1:-}" in
  "") ;;
  --wine) MODE=wine ;;
  *) echo "usage: scripts/measure-cpu.sh [--wine]" >&2; exit 2 ;;
esac
BIN=$ROOT/${INTRO_HOST_BUILD:-build/native}/bin
INTRO_EXE=$ROOT/${INTRO_WIN32_BUILD:-build/win32}/platform/win32/intro.exe
if [ "$MODE" = native ]; then
  [ -x "$BIN/intro" ] || { echo "measure: $BIN/intro is missing; run scripts/build-native.sh" >&2; exit 2; }
else
  [ -f "$INTRO_EXE" ] || { echo "measure: $INTRO_EXE is missing; run scripts/build-win32.sh" >&2; exit 2; }
fi

WORK=$(mktemp -d /tmp/intro-measure.XXXXXX)
source "$ROOT/scripts/e2e/lib.sh"
trap cleanup EXIT
trap 'exit 130' INT TERM

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
share() { awk -v t="$1" -v hz="$HZ" -v s="$MEASURE_SECONDS" 'BEGIN { printf "%.1f %%", 100 * t / hz / s }'; }

# PIDs of the processes that run in this Wine prefix (intro.exe, wineserver,
# Wine's own services), found by their environment.
wine_pids() {
  local environ
  for environ in /proc/[0-9]*/environ; do
    tr '\0' '\n' 2>/dev/null <"$environ" | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      basename "$(dirname "$environ")"
  done
}

# Colours in the window's picture: 1 while black, 2 with the background and its
# half-bright lines, more once a glyph is on it.
window_colours() { xwd -id "$WINDOW" -silent 2>/dev/null | convert xwd:- -format '%k' info: 2>/dev/null; }

start_xvfb && start_pulse || exit 1
XVFB_PID=${STARTED_PIDS[0]}  # start_xvfb remembers it first

if [ "$MODE" = native ]; then
  started=$(now_ms)
  "$BIN/intro" >"$WORK/intro.log" 2>&1 &
  PID=$!
  remember "$PID"
  WINDOW=$(find_window) || { echo "measure: the intro window did not appear" >&2; exit 1; }
  first_glyph=""
  for _ in $(seq 200); do
    sampled=$(now_ms)
    if [ "$(window_colours)" -gt 2 ] 2>/dev/null; then first_glyph=$((sampled - started)); break; fi
  done
  sleep "$SETTLE_SECONDS"
  declare -A before=([intro]=$(cpu_ticks "$PID") [Xvfb]=$(cpu_ticks "$XVFB_PID") [pulseaudio]=$(cpu_ticks "$PULSE_PID"))
  sleep "$MEASURE_SECONDS"
  declare -A after=([intro]=$(cpu_ticks "$PID") [Xvfb]=$(cpu_ticks "$XVFB_PID") [pulseaudio]=$(cpu_ticks "$PULSE_PID"))
  kill -0 "$PID" 2>/dev/null || { echo "measure: the intro ended early (see $WORK/intro.log)" >&2; exit 1; }
  echo "measure: native intro, ${MEASURE_SECONDS} s while typing, user + system time as a share of one core:"
  for name in intro Xvfb pulseaudio; do
    echo "measure:   $name $(share $((after[$name] - before[$name])))"
  done
  if [ -n "$first_glyph" ]; then
    echo "measure: first typed character on screen ${first_glyph} ms after the program started" \
      "(sampled about every 40 ms)"
  fi
  xdotool key --window "$WINDOW" Escape 2>/dev/null
else
  make_prefix || exit 1
  start_intro measure
  WINDOW=$(find_window) || { echo "measure: the intro window did not appear" >&2; exit 1; }
  xdotool windowfocus "$WINDOW"
  sleep "$SETTLE_SECONDS"
  declare -A before after names
  for pid in $(wine_pids) "$XVFB_PID" "$PULSE_PID"; do
    before[$pid]=$(cpu_ticks "$pid")
    names[$pid]=$(cat "/proc/$pid/comm" 2>/dev/null)
  done
  sleep "$MEASURE_SECONDS"
  for pid in "${!before[@]}"; do after[$pid]=$(cpu_ticks "$pid"); done
  echo "measure: intro.exe under Wine, ${MEASURE_SECONDS} s while typing, user + system time as a share of one core:"
  for pid in "${!before[@]}"; do
    ticks=$((after[$pid] - before[$pid]))
    [ "$ticks" -gt 0 ] && echo "measure:   ${names[$pid]} $(share "$ticks")"
  done | sort -k3 -rn
  xdotool key --window "$WINDOW" Escape 2>/dev/null
  wineserver -k 2>/dev/null
fi
