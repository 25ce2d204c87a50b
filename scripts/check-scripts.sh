#!/usr/bin/env bash
# Checks every shell script of the project with shellcheck: no error, no
# warning, no note. A finding that is meant carries a directive with its
# reason where it is.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 2
command -v shellcheck >/dev/null ||
  { echo "check-scripts: shellcheck is missing; run scripts/install-deps.sh test" >&2; exit 2; }
mapfile -t scripts < <(find . \( -path ./build -o -path ./out -o -name node_modules -o -name .git \) -prune \
  -o -type f \( -name '*.sh' -o -path ./.ci/run -o -path ./run.sh -o -path ./test.sh \) -print | sort)
# Sourced files are followed from the script that sources them.
shellcheck --external-sources --source-path=SCRIPTDIR "${scripts[@]}"
echo "check-scripts: ${#scripts[@]} scripts, no findings"
