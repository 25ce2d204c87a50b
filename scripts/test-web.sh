#!/usr/bin/env bash
# Builds the web page and the intro maker and tests them end to end in Debian's headless Chromium
# and Firefox ESR (tests/web, driven by puppeteer-core as pinned in its
# package-lock.json), against the native intro-preview and modrender.
#   INTRO_BROWSERS=chromium,firefox   the browsers to test in (default: both)
# Runs on Node.js 18 (Debian 12's own) and newer.
set -euo pipefail
cd "$(dirname "$0")/.."
HOST_BUILD=${INTRO_HOST_BUILD:-build/native}
case $HOST_BUILD in /*) ;; *) HOST_BUILD=$PWD/$HOST_BUILD ;; esac
JOBS=${INTRO_JOBS:-2}
BROWSERS=${INTRO_BROWSERS:-chromium,firefox}

node_major=$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)
if ((node_major < 18)); then
  echo "test-web: the browser tests need Node.js 18 or newer (found: $(node --version 2>/dev/null || echo none))" >&2
  exit 1
fi
for browser in ${BROWSERS//,/ }; do
  case $browser in
    chromium) program=/usr/bin/chromium ;;
    firefox) program=/usr/bin/firefox-esr ;;
    *) echo "test-web: unknown browser '$browser' in INTRO_BROWSERS (chromium, firefox)" >&2; exit 2 ;;
  esac
  [ -x "$program" ] || { echo "test-web: $program missing; run scripts/install-deps.sh" >&2; exit 1; }
done

./scripts/build-web.sh
# The maker's page code passes eslint (platform/maker/eslint.config.js; npm ci ran in build-web.sh).
(cd platform/maker && node_modules/.bin/eslint --max-warnings=0 page) ||
  { echo "test-web: eslint found problems in the maker's page code (above)" >&2; exit 1; }
cmake --build "$HOST_BUILD" -j"$JOBS" --target intro-preview modrender intro-pack intro-capture
# The driver only: puppeteer-core never fetches a browser of its own.
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)

WORK=$(mktemp -d)
PULSE_PID=""
cleanup() {
  if [ -n "$PULSE_PID" ]; then kill "$PULSE_PID" 2>/dev/null || true; wait "$PULSE_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# Without a sound server Firefox's AudioContext never leaves "suspended": it
# gets a private PulseAudio whose only output is a null sink.
if [[ ,$BROWSERS, == *,firefox,* ]]; then
  mkdir -m 700 "$WORK/pulse"
  XDG_RUNTIME_DIR=$WORK/pulse pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$WORK/pulse/pulse.sock" \
    --load="module-null-sink sink_name=intro_web_sink rate=44100 format=s16le channels=2" \
    >"$WORK/pulse.log" 2>&1 &
  PULSE_PID=$!
  export PULSE_SERVER=unix:$WORK/pulse/pulse.sock
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$PULSE_PID" 2>/dev/null || { cat "$WORK/pulse.log" >&2; echo "test-web: PulseAudio did not start" >&2; exit 1; }
    sleep 0.1
  done
  pactl info >/dev/null 2>&1 || { echo "test-web: PulseAudio did not answer (see above)" >&2; cat "$WORK/pulse.log" >&2; exit 1; }
fi

cd tests/web
INTRO_BROWSERS=$BROWSERS INTRO_WEB_SITE="$OLDPWD/build/web" INTRO_NATIVE_BIN="$HOST_BUILD/bin" \
  node --test intro.test.mjs
INTRO_BROWSERS=$BROWSERS INTRO_MAKER_SITE="$OLDPWD/build/maker" INTRO_NATIVE_BIN="$HOST_BUILD/bin" \
  node --test maker.test.mjs
INTRO_BROWSERS=$BROWSERS INTRO_MAKER_SITE="$OLDPWD/build/maker" INTRO_NATIVE_BIN="$HOST_BUILD/bin" \
  node --test maker-tools.test.mjs
INTRO_BROWSERS=$BROWSERS INTRO_MAKER_SITE="$OLDPWD/build/maker" INTRO_NATIVE_BIN="$HOST_BUILD/bin" \
  node --test export.test.mjs
INTRO_BROWSERS=$BROWSERS INTRO_MAKER_SITE="$OLDPWD/build/maker" INTRO_NATIVE_BIN="$HOST_BUILD/bin" \
  node --test tracker.test.mjs tracker-sound.test.mjs song-edits.test.mjs
