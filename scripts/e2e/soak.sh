#!/usr/bin/env bash
# Runs the end-to-end tests RUNS times in a row while a native build is
# rebuilt from scratch beside them with -j2 the whole time, and prints the
# sound figures of every run: slips, frames inserted and lost, samples that
# differ. Shows whether the tests give the same answer on a busy machine.
#   scripts/e2e/soak.sh [RUNS]          default 20
#   SOAK_LOAD_BUILD=<dir>               the folder rebuilt as load (default build/soak-load)
#   SOAK_LOG=<dir>                      where each run's output goes (default build/soak-logs)
# Exit code 0 when every run passed.
set -uo pipefail
runs=${1:-20}
if ! [[ "$runs" =~ ^[0-9]+$ ]] || [ "$runs" -lt 1 ]; then
  echo "soak: RUNS must be a positive whole number, got '$runs'" >&2
  exit 2
fi
cd "$(dirname "$0")/../.." || exit 2
load_dir=${SOAK_LOAD_BUILD:-build/soak-load}
log_dir=${SOAK_LOG:-build/soak-logs}
mkdir -p "$log_dir"

# The load: configure, build with -j2, wipe, again, until stopped. It runs in
# its own session, so stopping its process group ends its compilers too.
# shellcheck disable=SC2016 # the loop is the inner bash's, its folder is its $0
setsid bash -c 'while true; do
    rm -rf "$0"
    cmake -S . -B "$0" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null 2>&1
    nice -n 5 cmake --build "$0" -j2 >/dev/null 2>&1
  done' "$load_dir" &
load_pid=$!
stop_load() {
  kill -- -"$load_pid" 2>/dev/null
  wait "$load_pid" 2>/dev/null
}
trap 'stop_load; exit 130' INT TERM
trap stop_load EXIT
sleep 5

passed=0
printf '%4s %-4s %6s %9s %6s %9s %6s\n' run ok slips inserted lost differing load
for ((run = 1; run <= runs; run++)); do
  log=$log_dir/run-$run.log
  load=$(cut -d' ' -f1 /proc/loadavg)
  if scripts/e2e/run-all.sh >"$log" 2>&1; then ok=yes; passed=$((passed + 1)); else ok=NO; fi
  # wavcompare's line: "... N samples differ, ...; N slips (N frames inserted, N lost, ..."
  line=$(grep -m1 'frames compared' "$log")
  differing=$(sed -nE 's/.* ([0-9]+) samples differ.*/\1/p' <<<"$line")
  slips=$(sed -nE 's/.* ([0-9]+) slips \(.*/\1/p' <<<"$line")
  inserted=$(sed -nE 's/.*\(([0-9]+) frames inserted.*/\1/p' <<<"$line")
  lost=$(sed -nE 's/.* ([0-9]+) lost.*/\1/p' <<<"$line")
  printf '%4d %-4s %6s %9s %6s %9s %6s\n' "$run" "$ok" "${slips:--}" "${inserted:--}" \
    "${lost:--}" "${differing:--}" "$load"
  [ "$ok" = yes ] || grep '^FAIL' "$log" | sed 's/^/          /'
done
echo "soak: $passed of $runs runs passed (logs in $log_dir)"
[ "$passed" = "$runs" ]
