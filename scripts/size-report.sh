#!/usr/bin/env bash
# Prints the size of intro.exe (already stripped by the build) against the
# 64 KiB target, and the DLLs it imports.
#   scripts/size-report.sh [win32 build dir]     default build/win32
set -euo pipefail
cd "$(dirname "$0")/.."
EXE=${1:-build/win32}/platform/win32/intro.exe
LIMIT=65536
if [ ! -f "$EXE" ]; then
  echo "size-report: $EXE is missing; run scripts/build-win32.sh first" >&2
  exit 2
fi
size=$(stat -c %s "$EXE")
printf 'intro.exe: %d bytes (%.1f KiB), target %d bytes (64 KiB): %s\n' "$size" \
  "$(awk -v s="$size" 'BEGIN { print s / 1024 }')" "$LIMIT" \
  "$([ "$size" -le "$LIMIT" ] && echo within || echo OVER)"
echo "sections:"
x86_64-w64-mingw32-objdump -h "$EXE" | grep -E '^ +[0-9]+ \.' |
  while read -r _ name bytes _; do
    note=""
    [ "$name" = .bss ] && note=" (not stored in the file)"
    printf '  %-8s %7d bytes%s\n' "$name" "$((16#$bytes))" "$note"
  done
echo "imports:"
x86_64-w64-mingw32-objdump -p "$EXE" | awk '/DLL Name:/ { print "  " $3 }'
