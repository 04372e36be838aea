#!/usr/bin/env bash
# Builds the engine's libFuzzer target with clang and fuzzes it. Usage: scripts/fuzz.sh [SECONDS]
# The working corpus lives in build/fuzz-corpus/, seeded from fuzz/corpus/. An input that breaks
# the engine is written as crash-*; copy it into fuzz/corpus/ once fixed so ctest keeps replaying it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ensure_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-dev

seconds=${1:-60}
build=build/fuzz
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGEWRIGHT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target pagewright-fuzz
mkdir -p build/fuzz-corpus
cp -n fuzz/corpus/* build/fuzz-corpus/ 2>/dev/null || true
"$build/bin/pagewright-fuzz" -max_total_time="$seconds" -max_len=65536 build/fuzz-corpus
