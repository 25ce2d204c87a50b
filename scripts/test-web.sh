#!/usr/bin/env bash
# Builds the web page and tests it end to end in Debian's headless Chromium
# (tests/web, driven by playwright-core as pinned in its package-lock.json),
# against the native intro-preview and modrender.
set -euo pipefail
cd "$(dirname "$0")/.."
HOST_BUILD=${INTRO_HOST_BUILD:-build/native}
JOBS=${INTRO_JOBS:-2}

node_major=$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)
if ((node_major < 20)); then
  echo "test-web: the browser tests need Node.js 20 or newer (found: $(node --version 2>/dev/null || echo none))" >&2
  exit 1
fi
[ -x /usr/bin/chromium ] || { echo "test-web: /usr/bin/chromium missing; run scripts/install-deps.sh" >&2; exit 1; }

./scripts/build-web.sh
cmake --build "$HOST_BUILD" -j"$JOBS" --target intro-preview modrender
# The driver only: it must never fetch a browser of its own.
(cd tests/web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
cd tests/web
INTRO_WEB_SITE="$OLDPWD/build/web" INTRO_NATIVE_BIN="$OLDPWD/$HOST_BUILD/bin" node --test
