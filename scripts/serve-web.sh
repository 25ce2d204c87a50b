#!/usr/bin/env bash
# Builds the web page and serves build/web on 127.0.0.1 until Ctrl+C.
#   scripts/serve-web.sh [port]          default 8000 (or INTRO_WEB_PORT)
#   scripts/serve-web.sh --maker [port]  the intro maker (build/maker) instead
set -euo pipefail
cd "$(dirname "$0")/.."
SERVED=build/web
if [ "${1:-}" = --maker ]; then
  SERVED=build/maker
  shift
fi
PORT=${1:-${INTRO_WEB_PORT:-8000}}
if ! [[ $PORT =~ ^[0-9]+$ ]] || ((PORT < 1 || PORT > 65535)); then
  echo "serve-web: the port must be a number from 1 to 65535, not '$PORT'" >&2
  exit 2
fi
./scripts/build-web.sh
echo "serve-web: open http://127.0.0.1:$PORT/ in a browser (Ctrl+C stops the server)"
exec python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$SERVED"
