#!/usr/bin/env bash
# modplay end to end, on SDL's disk audio driver (it writes what the audio
# callback was handed, in real time):
#   disk    what it plays equals modrender's render, for the built-in song and a source
#   view    in tmux: the position advances, four voices, space pauses, q exits 0
#   watch   a saved change of a note is heard without a restart; a syntax error
#           keeps the old song and shows file:line: reason
#   errors  missing file, bad module, bad source, no audio device
# Usage: modplay_e2e.sh TEST BIN_DIR SOURCE_DIR
set -euo pipefail
test_name=$1 bin=$2 source=$3
work=$(mktemp -d /tmp/modplay_e2e.XXXXXX)
tmux_socket="modplay-e2e-$$"
cleanup() {
  tmux -L "$tmux_socket" kill-server 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export SDL_AUDIODRIVER=disk
fail() { echo "FAIL: $*" >&2; exit 1; }

# Byte offset of the first frame that is not silence.
first_sound() { od -An -v -tx4 -w4 "$1" | awk '$1 != "00000000" { print (NR - 1) * 4; exit }' || true; }

# modplay's disk output, from its first sound, must begin with modrender's
# render from its first sound: the ring of silence before the song (and the
# silence SDL writes before the device starts) is all that may differ.
expect_same_as_modrender() {
  local played=$1 rendered=$2
  local skip_played skip_rendered length
  skip_played=$(first_sound "$played") skip_rendered=$(first_sound "$rendered")
  [ -n "$skip_played" ] || fail "$played is all silence"
  length=$(($(stat -c %s "$rendered") - skip_rendered))
  [ $(($(stat -c %s "$played") - skip_played)) -ge "$length" ] ||
    fail "$played holds less than the $length bytes modrender rendered"
  cmp -n "$length" -i "$skip_played:$skip_rendered" "$played" "$rendered" ||
    fail "$played differs from modrender's $rendered"
}

case $test_name in
disk)
  SDL_DISKAUDIOFILE=$work/builtin.raw "$bin/modplay" --builtin --seconds 4 </dev/null >/dev/null 2>&1
  "$bin/modrender" --builtin --seconds 4 --raw -o "$work/builtin-render.raw"
  expect_same_as_modrender "$work/builtin.raw" "$work/builtin-render.raw"
  song=$source/examples/own-intro/song.fcs
  SDL_DISKAUDIOFILE=$work/source.raw "$bin/modplay" "$song" --seconds 4 </dev/null >/dev/null 2>&1
  "$bin/modasm" "$song" -o "$work/song.mod"
  "$bin/modrender" "$work/song.mod" --seconds 4 --raw -o "$work/source-render.raw"
  expect_same_as_modrender "$work/source.raw" "$work/source-render.raw"
  ;;

view)
  tmux=(tmux -L "$tmux_socket")
  TERM=xterm "${tmux[@]}" new-session -d -x 80 -y 14 \
    "SDL_DISKAUDIOFILE=$work/view.raw $bin/modplay --builtin 2>$work/stderr; echo \$? >$work/exit; sleep 10"
  screen() { "${tmux[@]}" capture-pane -p; }
  position() { screen | grep -m1 '^entry'; }
  sleep 1.5
  first=$(position)
  [ "$(screen | grep -cE '^  [1-4]    ')" = 4 ] || fail "four voice lines expected in: $(screen)"
  sleep 1
  second=$(position)
  { [ -n "$first" ] && [ "$first" != "$second" ]; } || fail "the position did not advance: '$first'"
  "${tmux[@]}" send-keys ' '
  sleep 0.5
  paused=$(position)
  sleep 1
  [ "$paused" = "$(position)" ] || fail "the position moved while paused"
  [[ $paused == *PAUSED* ]] || fail "the view does not say it is paused: '$paused'"
  "${tmux[@]}" send-keys q
  for _ in $(seq 50); do [ -s "$work/exit" ] && break; sleep 0.1; done
  [ "$(cat "$work/exit" 2>/dev/null)" = 0 ] || fail "q should exit with 0, got '$(cat "$work/exit" 2>/dev/null)'"
  ;;

watch)
  # One voice playing C-3 on every row: the status line shows it as voice 1's note.
  cat >"$work/song.fcs" <<'SONG'
wave tone square words=16
freq tone_f
  SetWave tone 0  End
vol tone freq=tone_f
  40 End
pattern tune inst=tone
  C-3 *32
sequence
  tune tune tune tune speed=6
SONG
  SDL_DISKAUDIOFILE=$work/watch.raw "$bin/modplay" "$work/song.fcs" --watch --seconds 12 \
    </dev/null >"$work/status" 2>"$work/stderr" &
  player=$!
  # Waits up to 8 s for the last status line to match.
  last_status_matches() {
    for _ in $(seq 80); do
      tail -n 1 "$work/status" | grep -qE -- "$1" && return 0
      sleep 0.1
    done
    return 1
  }
  last_status_matches '\| C-3 ' || fail "C-3 is not playing: $(tail -n 2 "$work/status")"
  sed 's/C-3 \*32/E-3 *32/' "$work/song.fcs" >"$work/next.fcs" && mv "$work/next.fcs" "$work/song.fcs"
  last_status_matches '\| E-3 ' || fail "E-3 is not heard after the save: $(tail -n 2 "$work/status")"
  grep -q 'reloaded song.fcs' "$work/status" || fail "no reload reported"
  echo 'pattern broken inst=nothing_like_this' >>"$work/song.fcs"
  for _ in $(seq 80); do grep -q 'still playing' "$work/status" && break; sleep 0.1; done
  grep -qE "song.fcs:[0-9]+: .* - still playing the last good version" "$work/status" ||
    fail "the syntax error is not shown: $(tail -n 3 "$work/status")"
  sleep 0.6
  tail -n 1 "$work/status" | grep -q '| E-3 ' || fail "the last good song stopped: $(tail -n 1 "$work/status")"
  wait "$player" || fail "modplay --watch ended with $?"
  ;;

errors)
  expect_error() {  # expected text, then the command line
    local expected=$1 status=0
    shift
    SDL_DISKAUDIOFILE=$work/errors.raw "$bin/modplay" "$@" </dev/null >/dev/null 2>"$work/stderr" || status=$?
    [ "$status" != 0 ] || fail "modplay $* should fail"
    grep -q -- "$expected" "$work/stderr" || fail "modplay $*: expected '$expected', got: $(cat "$work/stderr")"
    [ ! -e "$work/errors.raw" ] || [ "$expected" = "no audio output" ] || fail "modplay $* opened the audio device"
  }
  expect_error "cannot read '$work/missing.fcs': No such file or directory" "$work/missing.fcs"
  printf 'FC14 and then nothing a module needs' >"$work/bad.mod"
  expect_error "'$work/bad.mod' is not a usable module: " "$work/bad.mod"
  printf 'sequence\n  nowhere nowhere nowhere nowhere\n' >"$work/bad.fcs"
  expect_error "$work/bad.fcs:2: " "$work/bad.fcs"
  SDL_AUDIODRIVER=dummy expect_error "no audio output" --builtin
  ;;
*) fail "unknown test $test_name" ;;
esac
echo "modplay $test_name: ok"
