#!/usr/bin/env bash
# Draws the main window offscreen after converting the sample PDFs and saves it as
# docs/screenshot.png (the picture in the README). Usage: scripts/screenshot.sh [OUTPUT_PNG]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ensure_packages "${BUILD_PACKAGES[@]}" fonts-dejavu-core

output=${1:-docs/screenshot.png}
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPAGEWRIGHT_BUILD_TESTS=OFF -DPAGEWRIGHT_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target grab_main_window
mkdir -p "$(dirname "$output")"
QT_QPA_PLATFORM=offscreen "$build/bin/grab_main_window" res/samples "$output"
echo "Saved $output"
