#!/usr/bin/env bash
# Fuzzes the module loader and replayer through the real mixer with libFuzzer.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
# Builds with clang++-14 into build/fuzz, writes the seed modules, replays the
# checked-in regression inputs, then fuzzes for SECONDS. Exits non-zero on
# any finding; the failing input is left in build/fuzz/artifacts/.
set -euo pipefail
seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "fuzz.sh: SECONDS must be a positive whole number, got '$seconds'" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
out=build/fuzz
mkdir -p "$out/corpus" "$out/seeds" "$out/artifacts"
cxx=clang++-14
common=(-std=c++20 -g -O1 -Wall -Wextra -Werror -Isrc -Itests/replayer)
sanitize=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

"$cxx" "${common[@]}" "${sanitize[@]}" fuzz/replayer_fuzz.cpp src/replayer/*.cpp \
  src/sound/mixer.cpp src/sound/mixer_render.cpp src/audio/*.cpp -o "$out/replayer_fuzz"
"$cxx" "${common[@]}" fuzz/make_seeds.cpp tests/replayer/module_builder.cpp \
  src/replayer/module_writer.cpp -o "$out/make_seeds"
"$out/make_seeds" "$out/seeds"
# The real songs, when a native build has assembled them, make rich seeds.
for song in build/native/src/data/song/*.mod; do
  [ -f "$song" ] && cp "$song" "$out/seeds/"
done

shopt -s nullglob
regressions=(fuzz/regressions/*)
if [ "${#regressions[@]}" -gt 0 ]; then
  "$out/replayer_fuzz" "${regressions[@]}"
fi
REPLAYER_FUZZ_EXPECT_LOAD=1 "$out/replayer_fuzz" "$out/seeds"/*

"$out/replayer_fuzz" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus" "$out/seeds"
