#!/usr/bin/env bash
# intro-pack ended by a signal while intro-capture makes its video: the signal
# reaches intro-capture, which ends; neither the video, its partial file nor
# the temporary pack is left behind.
#   intro_pack_interrupt_test.sh INTRO-PACK CONTENT-FOLDER
set -euo pipefail
pack=$1 content=$2
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tmp"
fail() { echo "FAIL: $*"; cat "$work/stderr" 2>/dev/null; exit 1; }

for signal in TERM INT HUP; do
  TMPDIR=$work/tmp "$pack" "$content" -o "$work/v.mp4" --seconds 120 2>"$work/stderr" &
  parent=$!
  child=
  for _ in $(seq 300); do  # up to 30 s for intro-capture to be writing the video
    child=$(pgrep -P "$parent" || true)
    [ -n "$child" ] && compgen -G "$work/v.mp4.part*" >/dev/null && break
    sleep 0.1
  done
  [ -n "$child" ] || { kill "$parent"; fail "SIG$signal: intro-capture did not start"; }
  kill -s "$signal" "$parent"
  status=0
  wait "$parent" || status=$?
  ((status != 0)) || fail "SIG$signal: intro-pack ended with status 0"
  ! kill -0 "$child" 2>/dev/null || fail "SIG$signal: intro-capture ($child) still runs"
  left=$(cd "$work" && find . -mindepth 1 -not -name stderr -not -path ./tmp)
  [ -z "$left" ] || fail "SIG$signal: left behind: $left"
done
echo "each signal ended intro-capture and left nothing"
