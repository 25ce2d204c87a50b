#!/usr/bin/env bash
# Measures the first run on a fresh Debian 12: a minimal bookworm made with
# debootstrap, a clean clone of this repository's HEAD in it, and ./run.sh
# started there without a display. Prints the seconds from ./run.sh to the
# first character the intro types (the intro's window sampled about every
# 100 ms) and what the run installed (packages, MiB).
#   scripts/measure-first-run.sh [folder]    default build/first-run; as root
#   INTRO_MIRROR   the Debian mirror (default http://deb.debian.org/debian)
# The minimal system is made once in <folder>/base and copied for each run.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 2
ROOT=$PWD
WORK=$(realpath -m -- "${1:-build/first-run}")
MIRROR=${INTRO_MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" = 0 ] || { echo "measure-first-run: run it as root (debootstrap, chroot)" >&2; exit 2; }
command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap >/dev/null

mkdir -p "$WORK"
if [ ! -x "$WORK/base/usr/bin/apt-get" ]; then
  rm -rf "$WORK/base"
  debootstrap --variant=minbase bookworm "$WORK/base" "$MIRROR" >"$WORK/debootstrap.log"
fi
SYSTEM=$WORK/system
rm -rf "$SYSTEM"
cp -a "$WORK/base" "$SYSTEM"
cp /etc/resolv.conf "$SYSTEM/etc/resolv.conf"
git clone -q "$ROOT" "$SYSTEM/root/intro"
mounted=()
unmount() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap unmount EXIT
for dir in proc sys dev dev/pts; do
  mount --bind "/$dir" "$SYSTEM/$dir"
  mounted+=("$SYSTEM/$dir")
done

# Runs inside the new system: ./run.sh in the background, then waits for the
# intro's window and for a picture with more than its two background colours.
# The machine's other processes are visible in /proc too: the intro is the
# one running this clone's build.
cat >"$SYSTEM/root/first-run.sh" <<'EOF'
#!/bin/bash
set -u
cd /root/intro || exit 2
dpkg-query -W -f='${Package}\n' | sort >/root/packages.before
start=$(date +%s.%N)
# Every line of its output with the seconds since the start.
./run.sh > >(while IFS= read -r line; do
  printf '%6.1f %s\n' "$(awk -v s="$start" -v n="$(date +%s.%N)" 'BEGIN { print n - s }')" "$line"
done >/root/run.log) 2>&1 &
run=$!
intro_pid() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = /root/intro/build/native/bin/intro ] && { echo "${p#/proc/}"; return 0; }
  done
  return 1
}
until pid=$(intro_pid); do
  kill -0 "$run" 2>/dev/null || { echo "run.sh ended before the intro started:"; tail -20 /root/run.log; exit 1; }
  sleep 0.1
done
started=$(date +%s.%N)
DISPLAY=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^DISPLAY=//p')
export DISPLAY
window=""
typed=""
for _ in $(seq 300); do
  [ -n "$window" ] || window=$(xdotool search --name '^INTRO$' 2>/dev/null | head -1)
  if [ -n "$window" ] &&
     [ "$(import -window "$window" png:- 2>/dev/null | convert png:- -format '%k' info: 2>/dev/null)" -gt 2 ] 2>/dev/null; then
    typed=$(date +%s.%N)
    break
  fi
  sleep 0.1
done
wait "$run"
echo "run.sh ended with $?:"
# The build's progress lines: only its first and its end.
awk '!/^ *[0-9.]+ \[ *[0-9]+%\]/ || !seen++ || /Built target intro$/' /root/run.log
awk -v s="$start" -v i="$started" 'BEGIN { printf "intro started %.1f s after ./run.sh\n", i - s }'
[ -n "$typed" ] && awk -v s="$start" -v t="$typed" 'BEGIN { printf "first typed character %.1f s after ./run.sh\n", t - s }'
dpkg-query -W -f='${Package} ${Installed-Size}\n' | sort >/root/packages.after
join -v 2 /root/packages.before /root/packages.after |
  awk '{ n++; kib += $2 } END { printf "installed %d packages, %.0f MiB (dpkg Installed-Size)\n", n, kib / 1024 }'
EOF
chmod +x "$SYSTEM/root/first-run.sh"
# The system's size without the clone (and its build folder).
system_mib() { echo $(($(du -smx "$SYSTEM" | cut -f1) - $(du -smx "$SYSTEM/root/intro" | cut -f1))); }
before=$(system_mib)
env -i HOME=/root TERM=dumb PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
  chroot "$SYSTEM" /root/first-run.sh
chroot "$SYSTEM" apt-get clean
after=$(system_mib)
echo "the system grew by $((after - before)) MiB (du, downloaded packages removed)"
