#!/usr/bin/env bash
# Draws the README's pictures offscreen: the main window in the middle of a run
# (docs/screenshot.png) and the About box (docs/about.png).
# Usage: scripts/screenshot.sh [MAIN_PNG [ABOUT_PNG]]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ensure_packages "${BUILD_PACKAGES[@]}" fonts-dejavu-core

output=${1:-docs/screenshot.png}
about=${2:-docs/about.png}
build=build/release
cmake --preset release -DPAGEWRIGHT_BUILD_TOOLS=ON >/dev/null
cmake --build --preset release --target grab_main_window
mkdir -p "$(dirname "$output")" "$(dirname "$about")"
QT_QPA_PLATFORM=offscreen "$build/bin/grab_main_window" "$output" "$about"
echo "Saved $output and $about"
