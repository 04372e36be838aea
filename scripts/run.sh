#!/usr/bin/env bash
# Builds Pagewright (Release) and runs it on the sample PDFs: each becomes a text file in ./out/.
# Installs what a fresh Debian 12 machine lacks. Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

ensure_packages "${BUILD_PACKAGES[@]}"

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAGEWRIGHT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target pagewright-cli

mkdir -p out
"$build/bin/pagewright-cli" -o out res/samples/*.pdf
echo "The text of the sample PDFs is in $(pwd)/out/:"
ls -1 out/*.txt
