#!/usr/bin/env bash
# Fuzzes the module loader and replayer through the real mixer, then the
# content-pack reader, with libFuzzer.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
# Builds the target through CMake (INTRO_FUZZ=ON, clang-14) into build/fuzz,
# writes the seed modules, replays the checked-in regression inputs, then
# fuzzes for SECONDS. Exits non-zero on any finding; the failing input is left
# in build/fuzz/artifacts/.
set -euo pipefail
seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "fuzz.sh: SECONDS must be a positive whole number, got '$seconds'" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
out=build/fuzz
for tool in clang-14 clang++-14; do
  command -v "$tool" >/dev/null ||
    { echo "fuzz.sh: $tool is missing; run scripts/install-deps.sh" >&2; exit 2; }
done
CC=clang-14 CXX=clang++-14 cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DINTRO_FUZZ=ON ${INTRO_WERROR:+-DINTRO_WERROR="$INTRO_WERROR"} >/dev/null
cmake --build "$out" -j"${INTRO_JOBS:-2}" --target replayer_fuzz pack_fuzz make_seeds
mkdir -p "$out/corpus" "$out/seeds" "$out/artifacts"
fuzzer=$out/bin/replayer_fuzz
"$out/bin/make_seeds" "$out/seeds"
# The real songs, when a native build has assembled them, make rich seeds.
for song in build/native/src/data/song/*.mod; do
  [ -f "$song" ] && cp "$song" "$out/seeds/"
done

shopt -s nullglob
regressions=(fuzz/regressions/*)
if [ "${#regressions[@]}" -gt 0 ]; then
  "$fuzzer" "${regressions[@]}"
fi
REPLAYER_FUZZ_EXPECT_LOAD=1 "$fuzzer" "$out/seeds"/*

"$fuzzer" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus" "$out/seeds"

# The content-pack reader, a quarter of the time, from the built-in pack (and
# the example's, when the tests have made it).
packs=$out/pack-seeds
mkdir -p "$packs" "$out/pack-corpus"
for pack in build/native/data/builtin.intro build/native/tests/content/*.intro; do
  [ -f "$pack" ] && cp "$pack" "$packs/"
done
if [ -n "$(ls -A "$packs")" ]; then PACK_FUZZ_EXPECT_ACCEPT=1 "$out/bin/pack_fuzz" "$packs"/*; fi
"$out/bin/pack_fuzz" -max_total_time=$(((seconds + 3) / 4)) -timeout=2 -rss_limit_mb=2048 \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/pack-corpus" "$packs"
