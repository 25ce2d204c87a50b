#!/usr/bin/env bash
# Draws the architecture picture from its Graphviz source:
#   docs/architecture.dot -> docs/architecture.png
# Run it after editing the .dot file and commit both.
set -euo pipefail
cd "$(dirname "$0")/.."
source=docs/architecture.dot
picture=docs/architecture.png

if ! command -v dot >/dev/null; then
  echo "draw-architecture: Graphviz's dot is missing; install it with" \
       "'apt-get install graphviz' and run this again" >&2
  exit 2
fi
# Written beside the picture and moved into place only when dot succeeds, so a
# bad edit never leaves a half-written picture.
temporary=$(mktemp "$picture.XXXXXX")
trap 'rm -f "$temporary"' EXIT
if ! dot -Tpng -Gdpi=96 "$source" -o "$temporary"; then
  echo "draw-architecture: dot could not draw $source (see its message above)" >&2
  exit 1
fi
chmod 644 "$temporary"
mv "$temporary" "$picture"
trap - EXIT
echo "draw-architecture: wrote $picture"
