#!/usr/bin/env bash
# End-to-end tests of the native intro (bin/intro, SDL2) on a private Xvfb.
# The sound is checked through SDL's disk audio driver, which writes exactly
# what the audio callback hands over; no sound server is involved.
#   INTRO_HOST_BUILD   native build folder  (default build/native)
#   KEEP_E2E_WORK=1    keep the scratch folder (screenshots, audio, logs)
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 2
ROOT=$PWD
HOST_BUILD=${INTRO_HOST_BUILD:-build/native}
case $HOST_BUILD in /*) ;; *) HOST_BUILD=$ROOT/$HOST_BUILD ;; esac
BIN=$HOST_BUILD/bin
SOUND_SECONDS=8  # of the song compared byte for byte
FRAME_BYTES=4

cmake --build "$HOST_BUILD" -j2 --target intro intro-x11-close intro-preview modrender intro-pack >/dev/null ||
  { echo "e2e-native: could not build intro and its helpers in $HOST_BUILD" >&2; exit 2; }

WORK=$(mktemp -d /tmp/intro-native-e2e.XXXXXX)
source "$ROOT/scripts/e2e/lib.sh"
trap cleanup EXIT
trap 'exit 130' INT TERM

# Starts bin/intro with the given arguments; its exit code lands in
# $WORK/exit.<tag>, its output in $WORK/intro.<tag>.log.
start_native() {
  local tag=$1
  shift
  rm -f "$WORK/exit.$tag"
  ("$BIN/intro" "$@" >"$WORK/intro.$tag.log" 2>&1; echo $? >"$WORK/exit.$tag") &
  remember $!
}

# Why the intro run <tag> shows no window: its exit code if it ended, and its output.
no_window() {
  local tag=$1
  if [ -s "$WORK/exit.$tag" ]; then log "it ended with exit code $(cat "$WORK/exit.$tag")"; else log "it is still running"; fi
  [ -s "$WORK/intro.$tag.log" ] && tail -5 "$WORK/intro.$tag.log" | sed 's/^/   intro: /'
  return 1
}

shot() { import -window "$WINDOW" "$1" 2>/dev/null; }
bytes_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# A screenshot whose moment matters: xwd takes it in a few milliseconds where
# import may take hundreds on a busy machine; the PNG is made afterwards.
# Sets SHOT_BEFORE and SHOT_AFTER to the times around the capture.
timed_shot() {
  SHOT_BEFORE=$(now_ms)
  xwd -id "$WINDOW" -silent -out "$1.xwd"
  SHOT_AFTER=$(now_ms)
  convert "xwd:$1.xwd" "$1" 2>/dev/null
}

# The reference timeline (intro-capture's): the loop's first frame step acts
# when the start-up's wait is over, then one every 21 ms; this many have acted
# `ms` after that first one.
steps_after() { if (($1 < 0)); then echo 0; else echo $(($1 / 21 + 1)); fi; }
# How late the window's appearance (or a focus change) may be seen: a poll of
# xdotool and the window manager's round trip. A screenshot is bracketed by the
# times before and after `import`, so a slow one only widens the bracket.
SEEN_LATE_MS=100
# Steps either side of the bracket still counted as on the timeline: SDL's
# wake-up and the X server's round trip for the picture.
TIMELINE_TOLERANCE=3
# The first and last step counts whose intro-preview screen equals the picture.
shown_steps() { "$BIN/intro-preview" --find "$1" --up-to 2000 | tr '-' ' '; }

# Shows the picture at `at` seconds after the window appeared within the
# reference timeline's steps for that moment.
on_the_timeline_at() {
  local at=$1 first last low high
  sleep "$(awk -v until=$((SHOWN_MS + at * 1000)) -v now="$(now_ms)" \
    'BEGIN { d = (until - now) / 1000; printf "%.3f", (d > 0 ? d : 0) }')"
  timed_shot "$WORK/timeline-$at.png"
  read -r first last < <(shown_steps "$WORK/timeline-$at.png") || { log "not a screen of the timeline"; return 1; }
  low=$(($(steps_after $((SHOT_BEFORE - SHOWN_MS))) - TIMELINE_TOLERANCE))
  high=$(($(steps_after $((SHOT_AFTER - SHOWN_MS + SEEN_LATE_MS))) + TIMELINE_TOLERANCE))
  log "at $at s: the screen of steps $first-$last; the reference: $low to $high"
  ((first <= high && last >= low))
}

# Waits for the window as closely as it can and notes when it appeared.
note_window_shown() {
  for _ in $(seq 2000); do
    WINDOW=$(xdotool search --onlyvisible --name "^$CAPTION\$" 2>/dev/null | head -1)
    [ -n "$WINDOW" ] && { SHOWN_MS=$(now_ms); return 0; }
    sleep 0.01
  done
  return 1
}

# The first step count at which intro-preview's screen shows page 0 complete:
# the same picture 100 steps later, which only a page hold (250 steps) allows.
# CONTENT, when set, is the content pack both programs play.
CONTENT=()
preview_of_first_page() {
  local steps
  for steps in $(seq 25 25 2000); do
    "$BIN/intro-preview" "${CONTENT[@]}" --steps "$steps" -o "$WORK/preview.png" >/dev/null &&
      "$BIN/intro-preview" "${CONTENT[@]}" --steps $((steps + 100)) -o "$WORK/preview-later.png" \
        >/dev/null || return 1
    if same_image "$WORK/preview.png" "$WORK/preview-later.png"; then
      log "page 0 holds from about step $steps"
      return 0
    fi
  done
  return 1
}

window_is_1x() {
  local geometry
  geometry=$(xdotool getwindowgeometry "$WINDOW")
  log "$(echo "$geometry" | tr '\n' ' ')"
  [[ $geometry == *"Geometry: 528x384"* ]]
}

focus_elsewhere_freezes_typing_not_music() {
  xdotool windowfocus "$WINDOW"
  sleep 0.5
  xlogo -geometry 100x100+0+0 >/dev/null 2>&1 &
  XLOGO_PID=$!
  remember "$XLOGO_PID"
  local logo="" before after
  for _ in $(seq 50); do
    logo=$(xdotool search --onlyvisible --class xlogo 2>/dev/null | head -1)
    [ -n "$logo" ] && break
    sleep 0.1
  done
  [ -n "$logo" ] || { log "xlogo did not appear"; return 1; }
  xdotool windowfocus "$logo"
  sleep 0.5
  shot "$WORK/frozen-a.png"
  before=$(bytes_of "$WORK/disk.raw")
  sleep 3
  shot "$WORK/frozen-b.png"
  after=$(bytes_of "$WORK/disk.raw")
  log "audio written while inactive: $(((after - before) / FRAME_BYTES)) frames in 3 s"
  same_image "$WORK/frozen-a.png" "$WORK/frozen-b.png" &&
    [ $((after - before)) -ge $((2 * 44100 * FRAME_BYTES)) ]
}

# Typing goes on from the frozen picture: the steps since the focus came back
# are on the timeline, and the frozen time is not caught up.
focus_back_resumes_typing() {
  local frozen_first frozen_last back first last low high
  read -r frozen_first frozen_last < <(shown_steps "$WORK/frozen-b.png") ||
    { log "the frozen picture is not a screen of the timeline"; return 1; }
  back=$(now_ms)
  xdotool windowfocus "$WINDOW"
  sleep 1.5
  timed_shot "$WORK/resumed.png"
  stop_pid "$XLOGO_PID"
  read -r first last < <(shown_steps "$WORK/resumed.png") ||
    { log "the resumed picture is not a screen of the timeline"; return 1; }
  low=$((frozen_first + $(steps_after $((SHOT_BEFORE - back - SEEN_LATE_MS))) - 1 - TIMELINE_TOLERANCE))
  high=$((frozen_last + $(steps_after $((SHOT_AFTER - back))) + TIMELINE_TOLERANCE))
  log "frozen at steps $frozen_first-$frozen_last; 1.5 s after the focus came back" \
    "steps $first-$last; expected $low to $high"
  ((first <= high && last >= low))
}

# Screenshots one second apart until two agree: the page is complete and holding.
first_page_matches_preview() {
  local previous=$WORK/hold-a.png current=$WORK/hold-b.png differing
  shot "$previous"
  for _ in $(seq 40); do
    sleep 1
    shot "$current"
    same_image "$previous" "$current" && break
    cp "$current" "$previous"
  done
  differing=$(compare -metric AE "$current" "$WORK/preview.png" "$WORK/page-diff.png" 2>&1)
  log "pixels differing from intro-preview: $differing"
  [ "$differing" = 0 ]
}

other_keys_do_nothing() {
  xdotool key --window "$WINDOW" a space Return F1 2>/dev/null
  sleep 1
  [ ! -s "$WORK/exit.$1" ]
}

# Sends a key (Escape) or the window manager's close request (close) and
# expects exit code 0 within a second.
ends_with_0_within_1s() {
  local tag=$1 how=$2 code
  if [ "$how" = close ]; then
    "$BIN/intro-x11-close" "$WINDOW" || return 1
  else
    xdotool key --window "$WINDOW" "$how" 2>/dev/null
  fi
  code=$(wait_exit "$tag" 1) || { log "still running 1 s after $how"; return 1; }
  log "exit code $code"
  [ "$code" = 0 ]
}

# Offset in bytes of the first frame that is not silent.
first_sound_byte() {
  local at
  at=$(cmp "$1" /dev/zero 2>/dev/null | sed -n 's/.* byte \([0-9]*\),.*/\1/p')
  [ -n "$at" ] && echo $(((at - 1) / FRAME_BYTES * FRAME_BYTES))
}

# SDL's device thread plays silence while the device is still paused, so the
# leading silence may be longer than the ring's pre-fill; from the first
# sound on, the file (default disk.raw) must equal modrender's rendering of
# the song (default --builtin) byte for byte.
disk_audio_is_the_song() {
  local disk=${1:-$WORK/disk.raw} song=${2:---builtin}
  "$BIN/modrender" "$song" --raw --include-prefill --seconds $((SOUND_SECONDS + 2)) \
    -o "$WORK/song.raw" >"$WORK/modrender.log" 2>&1 ||
    { log "modrender failed: $(cat "$WORK/modrender.log")"; return 1; }
  local disk_start song_start length=$((SOUND_SECONDS * 44100 * FRAME_BYTES))
  disk_start=$(first_sound_byte "$disk") || { log "the disk audio is silent"; return 1; }
  song_start=$(first_sound_byte "$WORK/song.raw") || return 1
  log "first sound at frame $((disk_start / FRAME_BYTES)) of the disk file," \
    "frame $((song_start / FRAME_BYTES)) of modrender's"
  [ $(($(bytes_of "$disk") - disk_start)) -ge "$length" ] ||
    { log "the disk file holds less than $SOUND_SECONDS s of sound"; return 1; }
  cmp -n "$length" -i "$disk_start:$song_start" "$disk" "$WORK/song.raw"
}

without_sound_it_types_and_ends_by_itself() {
  local code started=$SECONDS
  shot "$WORK/silent-a.png"
  sleep 1
  shot "$WORK/silent-b.png"
  ! same_image "$WORK/silent-a.png" "$WORK/silent-b.png" || { log "the picture stood still"; return 1; }
  grep -q "running without sound" "$WORK/intro.silent.log" ||
    { log "no line about the missing sound device"; return 1; }
  log "$(grep "running without sound" "$WORK/intro.silent.log")"
  code=$(wait_exit silent 4) || { log "--seconds 3 did not end it"; return 1; }
  log "ended by itself about $((SECONDS - started + 1)) s after the window appeared, exit code $code"
  [ "$code" = 0 ]
}

bad_arguments_fail_clearly() {
  local args
  for args in "--scale 0" "--seconds" "--seconds soon" "--wat" "--content /no/such.intro"; do
    # shellcheck disable=SC2086
    if "$BIN/intro" $args >"$WORK/bad.out" 2>"$WORK/bad.err"; then
      log "'intro $args' succeeded"; return 1
    fi
    grep -q "^intro: " "$WORK/bad.err" || { log "'intro $args' gave no message"; return 1; }
    log "intro $args: $(head -1 "$WORK/bad.err")"
  done
}

# --- the runs ----------------------------------------------------------------

echo "e2e-native: setting up Xvfb in $WORK"
XVFB_NO_RESET=1 start_xvfb || exit 1
check "bad arguments end with a message and a non-zero exit code" bad_arguments_fail_clearly
check "intro-preview shows page 0 complete (reference)" preview_of_first_page

echo "e2e-native: run 1: picture, focus, keys, sound and Escape"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/disk.raw start_native main --scale 1
if WINDOW=$(find_window); then
  check "window of 528x384 at scale 1" window_is_1x
  sleep 1
  check "focus elsewhere freezes the typing, the music goes on" focus_elsewhere_freezes_typing_not_music
  check "focus back resumes the typing" focus_back_resumes_typing
  check "page 0 equals intro-preview's screen pixel for pixel" first_page_matches_preview
  check "keys other than Escape do nothing" other_keys_do_nothing main
  check "Escape ends it with exit code 0 within 1 s" ends_with_0_within_1s main Escape
else
  check "intro window appears" no_window main
fi
check "disk audio equals modrender --builtin byte for byte (${SOUND_SECONDS} s)" disk_audio_is_the_song

echo "e2e-native: run 2: the close request"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null start_native close
if WINDOW=$(find_window); then
  sleep 1
  check "the window manager's close request ends it with exit code 0 within 1 s" \
    ends_with_0_within_1s close close
else
  check "intro window appears" no_window close
fi

echo "e2e-native: run 3: no sound device, --seconds 3"
SDL_AUDIODRIVER=pulseaudio PULSE_SERVER=unix:$WORK/no-such-server.sock start_native silent --seconds 3
if WINDOW=$(find_window); then
  check "without a sound device it says so, types, and --seconds 3 ends it with 0" \
    without_sound_it_types_and_ends_by_itself
else
  check "intro window appears without a sound device" no_window silent
fi

echo "e2e-native: run 4: the picture on the reference timeline"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null start_native timeline --scale 1 --seconds 8
if note_window_shown; then
  for at in 2 4 6; do
    check "at $at s the picture is the reference timeline's within $TIMELINE_TOLERANCE steps" \
      on_the_timeline_at "$at"
  done
  wait_exit timeline 4 >/dev/null
else
  check "intro window appears" no_window timeline
fi

echo "e2e-native: run 5: a content pack (intro-pack examples/own-intro)"
pack=$WORK/own.intro
if "$BIN/intro-pack" examples/own-intro -o "$pack" >"$WORK/pack.log" 2>&1; then
  CONTENT=(--content "$pack")
  check "intro-preview --content shows the pack's page 0 complete (reference)" preview_of_first_page
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/disk-pack.raw start_native pack --scale 1 "${CONTENT[@]}"
  if WINDOW=$(find_window); then
    started=$SECONDS
    check "the pack's page 0 equals intro-preview --content's screen pixel for pixel" \
      first_page_matches_preview
    # The example's page holds early: the sound compared must have played first.
    sleep $((SOUND_SECONDS + 2 - (SECONDS - started) > 0 ? SOUND_SECONDS + 2 - (SECONDS - started) : 0))
    check "Escape ends it with exit code 0 within 1 s" ends_with_0_within_1s pack Escape
  else
    check "intro window appears" no_window pack
  fi
  check "disk audio equals modrender's of the pack byte for byte (${SOUND_SECONDS} s)" \
    disk_audio_is_the_song "$WORK/disk-pack.raw" "$pack"
else
  check "intro-pack packs examples/own-intro ($(head -1 "$WORK/pack.log"))" false
fi

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" = 0 ]
