#!/usr/bin/env bash
# Builds a libFuzzer target with clang and fuzzes it.
# Usage: scripts/fuzz.sh [TARGET] [SECONDS]
#   TARGET   engine (default), target_path, cli_options, ini_text or menu_template
#   SECONDS  how long to fuzz (default 60)
# The working corpus lives in build/fuzz-corpus/TARGET/, seeded from fuzz/corpus/TARGET/; an input
# that breaks the target is written to build/fuzz-artifacts/TARGET/ (crash-*, leak-*, timeout-*).
# Once the fault is fixed, copy the input into fuzz/corpus/TARGET/ so that ctest keeps replaying it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ensure_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-dev

target=${1:-engine}
seconds=${2:-60}
case "$target" in
engine) max_len=65536 ;;
target_path | cli_options | ini_text | menu_template) max_len=4096 ;;
*)
    echo "error: unknown fuzz target '$target' (engine, target_path, cli_options, ini_text, menu_template)" >&2
    exit 2
    ;;
esac
build=build/fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "pagewright-fuzz-$target"
corpus=build/fuzz-corpus/$target
artifacts=build/fuzz-artifacts/$target
mkdir -p "$corpus" "$artifacts"
cp -n "fuzz/corpus/$target"/* "$corpus"/ 2>/dev/null || true
dict=()
[ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
"$build/bin/pagewright-fuzz-$target" -max_total_time="$seconds" -max_len="$max_len" \
    -artifact_prefix="$artifacts/" "${dict[@]}" "$corpus"
