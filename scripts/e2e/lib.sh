# shellcheck shell=bash
# Shared machinery of the end-to-end tests: a private X server, a PulseAudio
# daemon whose only output is a null sink, a fresh quiet Wine prefix, and
# helpers to start the intro, find its window, take screenshots and record the
# sink. Everything started here is remembered by PID and stopped by cleanup.
# Sourced by run-all.sh and native.sh, which set WORK (a private scratch folder).

STARTED_PIDS=()
SINK=intro_e2e_sink
CAPTION=INTRO

log() { printf '   %s\n' "$*"; }

remember() { STARTED_PIDS+=("$1"); }

stop_pid() {
  local pid=$1 signal=${2:-TERM}
  kill -0 "$pid" 2>/dev/null || return 0
  kill -"$signal" "$pid" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
}

cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
  local i
  for ((i = ${#STARTED_PIDS[@]} - 1; i >= 0; i--)); do stop_pid "${STARTED_PIDS[i]}"; done
  if [ -z "${KEEP_E2E_WORK:-}" ]; then rm -rf "$WORK"; else echo "e2e: scratch kept in $WORK"; fi
}

free_display() {
  local n
  for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then echo "$n"; return; fi
  done
  return 1
}

# XVFB_NO_RESET=1 (the native intro's runs): by default the server resets
# when its last client leaves, and a client connecting meanwhile (the intro
# while xdotool polls) is refused. Wine's runs keep the reset: without it,
# no window was found in any Wine run after the first.
start_xvfb() {
  local n no_reset=()
  n=$(free_display) || { echo "e2e: no free X display number" >&2; return 1; }
  [ -n "${XVFB_NO_RESET:-}" ] && no_reset=(-noreset)
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp "${no_reset[@]}" >"$WORK/xvfb.log" 2>&1 &
  remember $!
  export DISPLAY=":$n"
  for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "e2e: Xvfb did not start (see $WORK/xvfb.log)" >&2
  return 1
}

start_pulse() {
  local dir=$WORK/pulse
  mkdir -p "$dir" && chmod 700 "$dir"
  XDG_RUNTIME_DIR=$dir pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/pulse.sock" \
    --load="module-null-sink sink_name=$SINK rate=44100 format=s16le channels=2" \
    >"$WORK/pulse.log" 2>&1 &
  PULSE_PID=$!
  remember "$PULSE_PID"
  export PULSE_SERVER=unix:$dir/pulse.sock
  for _ in $(seq 100); do
    # PulseAudio raises only its sink thread to real time; its main thread,
    # which moves the clients' data, gets the same so it is never behind Wine.
    pactl info >/dev/null 2>&1 && { chrt -r -a -p "$PULSE_RT_PRIORITY" "$PULSE_PID" >/dev/null; return 0; }
    sleep 0.1
  done
  echo "e2e: PulseAudio did not start (see $WORK/pulse.log)" >&2
  return 1
}

make_prefix() {
  export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >"$WORK/wineboot.log" 2>&1 || { echo "e2e: wineboot failed" >&2; return 1; }
  # Without a window manager: no 2 s stall on close, and refocusing works.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N /f >/dev/null 2>&1
  wineserver -w
}

# The sound path under Wine on a busy machine. winepulse asks PulseAudio for
# about 25 ms of buffer, and Wine 8 runs every thread at the default Unix
# priority: the intro's TIME_CRITICAL streaming thread, DirectSound's mixer,
# winepulse's threads and the wineserver they wait on compete with compilers
# like any other thread. A stall longer than the buffer underruns the null
# sink, which plays silence and drops what comes late: slips in the
# recording. So the intro's stream gets PULSE_LATENCY_MSEC of buffer (libpulse
# honours it for every stream), and once the intro's sound threads run, they
# and the wineserver get a round-robin real-time priority, as Windows runs
# TIME_CRITICAL threads above every normal one. PulseAudio (5) and the
# recorder (4) stay above them. The intro's blocks and their timing are unchanged.
E2E_PULSE_LATENCY_MSEC=${E2E_PULSE_LATENCY_MSEC:-100}
SOUND_RT_PRIORITY=${SOUND_RT_PRIORITY:-3}
RECORDER_RT_PRIORITY=4
PULSE_RT_PRIORITY=5

# Starts intro.exe; its exit code lands in $WORK/exit.<tag> when it ends.
start_intro() {
  local tag=$1
  rm -f "$WORK/exit.$tag"
  (PULSE_LATENCY_MSEC=$E2E_PULSE_LATENCY_MSEC wine "$INTRO_EXE" >"$WORK/intro.$tag.log" 2>&1
    echo $? >"$WORK/exit.$tag") &
  INTRO_PID=$!
  remember "$INTRO_PID"
}

# PIDs of the processes named $1 that run in this test's Wine prefix.
prefix_pids() {
  local pid
  for pid in $(pgrep -f "$1"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}

# Waits (up to 10 s) for the intro's sound threads, then gives every thread
# of the intro but its message loop, and the wineserver, SOUND_RT_PRIORITY.
raise_sound_priority() {
  local pid="" task tasks=() names=() servers=()
  for _ in $(seq 100); do
    pid=$(prefix_pids "$(basename "$INTRO_EXE")" | head -1)
    [ -n "$pid" ] && grep -qx winepulse_timer "/proc/$pid"/task/*/comm 2>/dev/null && break
    pid=""
    sleep 0.1
  done
  [ -n "$pid" ] || { log "no sound threads seen in the intro"; return 1; }
  for task in /proc/"$pid"/task/*; do
    [ "${task##*/}" = "$pid" ] && continue
    tasks+=("${task##*/}")
    names+=("$(cat "$task/comm" 2>/dev/null)")
  done
  mapfile -t servers < <(prefix_pids wineserver)
  ((${#servers[@]})) && tasks+=("${servers[@]}") && names+=(wineserver)
  for task in "${tasks[@]}"; do
    chrt -r -p "$SOUND_RT_PRIORITY" "$task" >/dev/null || { log "chrt failed for $task"; return 1; }
  done
  log "round-robin priority $SOUND_RT_PRIORITY for ${names[*]};" \
    "PulseAudio buffer ${E2E_PULSE_LATENCY_MSEC} ms"
}

# Prints the intro window's X id once it is mapped (false after 40 s: under a
# parallel build, Wine once showed no window within 20 s).
find_window() {
  local id
  for _ in $(seq 400); do
    id=$(xdotool search --onlyvisible --name "^$CAPTION\$" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits up to $2 seconds for the intro run <tag> to end; prints its exit code.
wait_exit() {
  local tag=$1 limit=$2 tenths
  for ((tenths = 0; tenths <= limit * 10; tenths++)); do
    [ -s "$WORK/exit.$tag" ] && { cat "$WORK/exit.$tag"; return 0; }
    sleep 0.1
  done
  return 1
}

# The client area (528x365 at (248,211) when centred on 1024x768) as a PNG.
client_shot() {
  import -window root -crop 528x365+248+211 +repage "$1" 2>/dev/null
}

same_image() {
  local diff
  diff=$(compare -metric AE "$1" "$2" null: 2>&1) || true
  [ "$diff" = 0 ]
}

start_recording() {
  local out=$1
  chrt -r "$RECORDER_RT_PRIORITY" parec -d "$SINK.monitor" --latency-msec=200 --rate=44100 --format=s16le --channels=2 \
    --file-format=wav "$out" &
  RECORDER_PID=$!
  remember "$RECORDER_PID"
  # parec can take almost a second to connect: wait for sound data past the header.
  for _ in $(seq 100); do
    [ "$(stat -c %s "$out" 2>/dev/null || echo 0)" -gt 4096 ] && break
    sleep 0.05
  done
  # shellcheck disable=SC2034 # read by run-all.sh, which sources this file
  RECORDING_T0=$(date +%s.%N)
}

stop_recording() { stop_pid "$RECORDER_PID" INT; }

seconds_since() { awk -v now="$(date +%s.%N)" -v then="$1" 'BEGIN { printf "%.2f", now - then }'; }

# check NAME COMMAND...: runs one named check, prints its verdict and counts
# it in PASSED or FAILED.
PASSED=0
FAILED=0
check() {
  local name=$1
  shift
  if "$@"; then
    echo "PASS $name"
    PASSED=$((PASSED + 1))
  else
    echo "FAIL $name"
    FAILED=$((FAILED + 1))
  fi
}
