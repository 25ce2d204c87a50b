#!/usr/bin/env bash
# End-to-end tests of intro.exe under Wine on a private Xvfb with a PulseAudio
# null sink. Expects the win32 build (scripts/build-win32.sh) and builds the
# native helpers it needs (intro-preview, modrender, wavcompare, intro-pack).
#   INTRO_WIN32_BUILD  win32 build folder   (default build/win32)
#   INTRO_HOST_BUILD   native build folder  (default build/native)
#   KEEP_E2E_WORK=1    keep the scratch folder (screenshots, recording, logs)
#   INTRO_MAKER_DOWNLOADS  where the browser tests left the intro maker's
#                      downloaded intro.exe and its pack (default
#                      build/maker-downloads; run 4 runs the exe)
#   INTRO_REQUIRE_MAKER_EXE=1  fail when that download is missing (./test.sh)
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 2
ROOT=$PWD
WIN32_BUILD=${INTRO_WIN32_BUILD:-build/win32}
HOST_BUILD=${INTRO_HOST_BUILD:-build/native}
# Relative folders are taken from the repository root, absolute ones as they are.
case $WIN32_BUILD in /*) ;; *) WIN32_BUILD=$ROOT/$WIN32_BUILD ;; esac
case $HOST_BUILD in /*) ;; *) HOST_BUILD=$ROOT/$HOST_BUILD ;; esac
INTRO_EXE=$WIN32_BUILD/platform/win32/intro.exe
INTROCTL_EXE=$WIN32_BUILD/platform/win32/introctl.exe
BIN=$HOST_BUILD/bin
SOUND_SECONDS=8  # of the song compared sample by sample

for exe in "$INTRO_EXE" "$INTROCTL_EXE"; do
  [ -f "$exe" ] || { echo "e2e: $exe is missing; run scripts/build-win32.sh first" >&2; exit 2; }
done
cmake --build "$HOST_BUILD" -j2 --target intro-preview modrender wavcompare intro-pack >/dev/null ||
  { echo "e2e: could not build the native helpers in $HOST_BUILD" >&2; exit 2; }

WORK=$(mktemp -d /tmp/intro-e2e.XXXXXX)
source "$ROOT/scripts/e2e/lib.sh"
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- the checks --------------------------------------------------------------

window_at_centre() {
  local geometry
  geometry=$(xdotool getwindowgeometry "$WINDOW")
  log "$(echo "$geometry" | tr '\n' ' ')"
  # Matched in the shell, without a pipe that pipefail could fail on.
  [[ $geometry == *"Position: 245,189 "* && $geometry == *"Geometry: 534x390"* ]]
}

# The first step count at which intro-preview shows page 0 complete: the
# picture is the same 100 steps later, which only a page hold (250 steps) allows.
# CONTENT, when set, is the content pack intro-preview plays.
CONTENT=()
preview_of_first_page() {
  local steps out=$WORK/preview.png later=$WORK/preview-later.png
  for steps in $(seq 25 25 2000); do
    "$BIN/intro-preview" "${CONTENT[@]}" --steps "$steps" --client -o "$out" >/dev/null &&
      "$BIN/intro-preview" "${CONTENT[@]}" --steps $((steps + 100)) --client -o "$later" \
        >/dev/null || return 1
    if same_image "$out" "$later"; then log "page 0 holds from about step $steps"; return 0; fi
  done
  return 1
}

# Screenshots one second apart until two agree: the page is complete and holding.
wait_for_page_hold() {
  local previous=$WORK/hold-a.png current=$WORK/hold-b.png
  client_shot "$previous"
  for _ in $(seq 40); do
    sleep 1
    client_shot "$current"
    same_image "$previous" "$current" && return 0
    cp "$current" "$previous"
  done
  return 1
}

first_page_matches_preview() {
  wait_for_page_hold || { log "the picture never stood still"; return 1; }
  local differing
  differing=$(compare -metric AE "$WORK/hold-b.png" "$WORK/preview.png" "$WORK/page-diff.png" 2>&1)
  log "pixels differing from intro-preview: $differing"
  [ "$differing" = 0 ]
}

focus_elsewhere_freezes_typing() {
  xdotool windowfocus "$WINDOW"
  sleep 0.5
  xlogo -geometry 100x100+0+0 >/dev/null 2>&1 &
  XLOGO_PID=$!
  remember "$XLOGO_PID"
  local logo=""
  for _ in $(seq 50); do
    logo=$(xdotool search --onlyvisible --class xlogo 2>/dev/null | head -1)
    [ -n "$logo" ] && break
    sleep 0.1
  done
  [ -n "$logo" ] || { log "xlogo did not appear"; return 1; }
  xdotool windowfocus "$logo"
  sleep 0.5
  FREEZE_FROM=$(seconds_since "$RECORDING_T0")
  client_shot "$WORK/frozen-a.png"
  sleep 3
  client_shot "$WORK/frozen-b.png"
  FREEZE_TO=$(seconds_since "$RECORDING_T0")
  log "inactive from ${FREEZE_FROM}s to ${FREEZE_TO}s of the recording"
  same_image "$WORK/frozen-a.png" "$WORK/frozen-b.png"
}

focus_back_resumes_typing() {
  xdotool windowfocus "$WINDOW"
  sleep 1.5
  client_shot "$WORK/resumed.png"
  stop_pid "$XLOGO_PID"
  ! same_image "$WORK/frozen-b.png" "$WORK/resumed.png"
}

# The first step count whose intro-preview client area equals the client
# area shown now (the first of the stretch --find prints); fails when the
# picture is on no step of the timeline (a shot taken mid-draw).
shown_step() {
  local found
  client_shot "$WORK/$1.png"
  found=$("$BIN/intro-preview" "${CONTENT[@]}" --find "$WORK/$1.png" --up-to 5000 2>/dev/null) ||
    return 1
  echo "${found%-*}"
}

# A second WM_SHOWWINDOW puts the moved window back at the centre, and the
# intro goes on: the step count the picture shows afterwards is not below the
# one before (a second start-up would begin the timeline again). A page's
# hold may end meanwhile, and the cleared screen between two pages is also
# the screen of step 1, so the picture after is taken up to five times.
second_show_recentres_without_restart() {
  local report before after=-1
  before=$(shown_step before-reshow) || { log "the picture before is on no step"; return 1; }
  report=$(wine "$INTROCTL_EXE" reshow 2>&1) || { log "introctl: $report"; return 1; }
  log "$report"
  sleep 1
  window_at_centre || return 1
  for _ in 1 2 3 4 5; do
    after=$(shown_step reshown) || after=-1
    ((after >= before)) && break
    sleep 0.3
  done
  log "the picture shows step $before before the second show and $after after it"
  ((after >= before))
}

# Escape ends the run <tag> with exit code 0 within two seconds.
escape_ends_with_0() {
  local tag=$1 code
  xdotool windowfocus "$WINDOW" 2>/dev/null
  sleep 0.3
  xdotool key --window "$WINDOW" Escape 2>/dev/null
  code=$(wait_exit "$tag" 2) || { log "still running 2 s after Escape"; return 1; }
  log "exit code $code"
  [ "$code" = 0 ]
}

close_box_ends_with_0() {
  local code
  wine "$INTROCTL_EXE" close >"$WORK/introctl.log" 2>&1 || { log "introctl found no window"; return 1; }
  code=$(wait_exit close 2) || { log "still running 2 s after WM_CLOSE"; return 1; }
  log "exit code $code"
  [ "$code" = 0 ]
}

# The recording (default recording.wav), once lined up, equals the song
# (default --builtin, or a module or content pack) as modrender renders it.
recording_is_the_song() {
  local recording=${1:-$WORK/recording.wav} song=${2:---builtin}
  "$BIN/modrender" "$song" --raw --seconds $((SOUND_SECONDS + 2)) -o "$WORK/song.raw" \
    >"$WORK/modrender.log" 2>&1 || { log "modrender failed: $(cat "$WORK/modrender.log")"; return 1; }
  local report
  report=$("$BIN/wavcompare" match "$recording" "$WORK/song.raw" --seconds "$SOUND_SECONDS")
  local status=$?
  log "$report"
  return $status
}

music_plays_while_inactive() {
  local report
  report=$("$BIN/wavcompare" level "$WORK/recording.wav" --from "$FREEZE_FROM" --to "$FREEZE_TO" \
    --min-rms 100)
  local status=$?
  log "$report"
  return $status
}

other_keys_do_nothing() {
  xdotool windowfocus "$WINDOW" 2>/dev/null
  sleep 0.3
  xdotool key --window "$WINDOW" a space Return 2>/dev/null
  sleep 1
  [ ! -s "$WORK/exit.$1" ] && xdotool getwindowgeometry "$WINDOW" >/dev/null 2>&1
}

typing_goes_on_silently() {
  client_shot "$WORK/silent-a.png"
  sleep 2
  client_shot "$WORK/silent-b.png"
  ! same_image "$WORK/silent-a.png" "$WORK/silent-b.png"
}

# intro-pack makes own.exe from examples/own-intro and the built intro.exe,
# with no program on PATH (no compiler, no mingw-w64): objdump reads it and
# finds exactly BITMAP 103 (0x67) and RCDATA 104 (0x68) in its resources.
own_exe_is_a_valid_pe() {
  env -i PATH=/nonexistent "$BIN/intro-pack" "$ROOT/examples/own-intro" --shell "$INTRO_EXE" \
    -o "$OWN_EXE" >"$WORK/pack.log" 2>&1 || { log "intro-pack: $(cat "$WORK/pack.log")"; return 1; }
  "$BIN/intro-pack" "$ROOT/examples/own-intro" -o "$WORK/own.intro" >>"$WORK/pack.log" 2>&1 || return 1
  log "intro.exe $(stat -c %s "$INTRO_EXE") bytes, own.exe $(stat -c %s "$OWN_EXE") bytes," \
    "own.intro $(stat -c %s "$WORK/own.intro") bytes"
  local dump
  dump=$(x86_64-w64-mingw32-objdump -p "$OWN_EXE") || { log "objdump -p refused it"; return 1; }
  [[ $dump == *"Resource Directory [.rsrc]"* && $dump == *"Type Table:"*"IDs: 2"* &&
    $dump == *"Entry: ID: 0x000002,"* && $dump == *"Entry: ID: 0x000067,"* &&
    $dump == *"Entry: ID: 0x00000a,"* && $dump == *"Entry: ID: 0x000068,"* ]]
}

# --- the runs ----------------------------------------------------------------

echo "e2e: setting up Xvfb, PulseAudio and a Wine prefix in $WORK"
start_xvfb && start_pulse && make_prefix || exit 1
check "intro-preview shows page 0 complete (reference)" preview_of_first_page

echo "e2e: run 1: picture, focus, sound and Escape"
start_recording "$WORK/recording.wav"
start_intro main
if WINDOW=$(find_window); then
  raise_sound_priority
  check "window placed at (245,189), 534x390" window_at_centre
  sleep 1
  check "focusing another window freezes the typing" focus_elsewhere_freezes_typing
  check "focusing the intro again resumes the typing" focus_back_resumes_typing
  check "page 0 equals intro-preview pixel for pixel" first_page_matches_preview
  check "a second show re-centres the window and does not restart the intro" \
    second_show_recentres_without_restart
  check "Escape ends the program with exit code 0 within 2 s" escape_ends_with_0 main
else
  check "intro window appears" false
fi
sleep 1
stop_recording
check "recorded sound equals modrender's rendering (${SOUND_SECONDS} s, sample-exact between feed slips)" recording_is_the_song
check "music goes on while the intro is inactive" music_plays_while_inactive
wineserver -k 2>/dev/null

echo "e2e: run 2: the close box"
start_intro close
if WINDOW=$(find_window); then
  sleep 1
  check "WM_CLOSE from outside ends the program with exit code 0 within 2 s" close_box_ends_with_0
else
  check "intro window appears" false
fi
wineserver -k 2>/dev/null

echo "e2e: run 3: own.exe, made by intro-pack from examples/own-intro without a compiler"
OWN_EXE=$WORK/own.exe
if check "intro-pack writes own.exe, a PE objdump reads, with BITMAP 103 and RCDATA 104" \
  own_exe_is_a_valid_pe; then
  CONTENT=(--content "$WORK/own.intro")
  check "intro-preview --content shows the example's page 0 complete (reference)" \
    preview_of_first_page
  BUILT_EXE=$INTRO_EXE
  INTRO_EXE=$OWN_EXE
  start_recording "$WORK/own.wav"
  start_intro own
  if WINDOW=$(find_window); then
    started=$SECONDS
    raise_sound_priority
    check "own.exe's page 0 equals intro-preview --content's pixel for pixel" \
      first_page_matches_preview
    # The example's page holds early: the sound compared must have played first.
    sleep $((SOUND_SECONDS + 3 - (SECONDS - started) > 0 ? SOUND_SECONDS + 3 - (SECONDS - started) : 0))
    check "own.exe ends with exit code 0 on Escape" escape_ends_with_0 own
  else
    check "own.exe's window appears" false
  fi
  sleep 1
  stop_recording
  check "own.exe's sound equals modrender's of the pack (${SOUND_SECONDS} s)" \
    recording_is_the_song "$WORK/own.wav" "$WORK/own.intro"
  INTRO_EXE=$BUILT_EXE
fi
wineserver -k 2>/dev/null

echo "e2e: run 4: the intro.exe the intro maker downloaded, with its edited page"
MAKER_DOWNLOAD=${INTRO_MAKER_DOWNLOADS:-$ROOT/build/maker-downloads}/chromium
if [ -f "$MAKER_DOWNLOAD/edited.exe" ] && [ -f "$MAKER_DOWNLOAD/edited.intro" ]; then
  CONTENT=(--content "$MAKER_DOWNLOAD/edited.intro")
  check "intro-preview --content shows the edited page 0 complete (reference)" preview_of_first_page
  BUILT_EXE=$INTRO_EXE
  INTRO_EXE=$MAKER_DOWNLOAD/edited.exe
  start_intro maker
  if WINDOW=$(find_window); then
    check "the maker's intro.exe shows the edited page 0 as intro-preview --content does" \
      first_page_matches_preview
    check "the maker's intro.exe ends with exit code 0 on Escape" escape_ends_with_0 maker
  else
    check "the maker's intro.exe's window appears" false
  fi
  INTRO_EXE=$BUILT_EXE
  wineserver -k 2>/dev/null
elif [ "${INTRO_REQUIRE_MAKER_EXE:-}" = 1 ]; then
  check "the intro maker's download is in $MAKER_DOWNLOAD (scripts/test-web.sh leaves it)" false
else
  echo "e2e: skipped: no download of the intro maker in $MAKER_DOWNLOAD (run scripts/test-web.sh first)"
fi

echo "e2e: run 5: no sound device"
stop_pid "$PULSE_PID"
export PULSE_SERVER=unix:$WORK/no-such-server.sock
start_intro silent
if WINDOW=$(find_window); then
  sleep 1
  check "without a sound device the intro types its pages" typing_goes_on_silently
  check "keys other than Escape leave it running" other_keys_do_nothing silent
  check "without a sound device Escape ends it with exit code 0" escape_ends_with_0 silent
else
  check "intro window appears without a sound device" false
fi

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" = 0 ]
