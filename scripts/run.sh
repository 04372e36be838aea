#!/usr/bin/env bash
# Builds Pagewright (the release preset, build/release) and starts the window. Without a display it
# converts the sample PDFs with pagewright-cli into ./out/ instead. Installs what a fresh Debian 12
# machine lacks.
# Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

ensure_packages "${BUILD_PACKAGES[@]}" "${GUI_RUNTIME_PACKAGES[@]}"

build=build/release
cmake --preset release >/dev/null
cmake --build --preset release --target pagewright pagewright-cli

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/bin/pagewright"
fi

echo "No display found: converting the sample PDFs with pagewright-cli instead."
mkdir -p out
"$build/bin/pagewright-cli" -o out res/samples/*.pdf
echo "The text of the sample PDFs is in $(pwd)/out/:"
ls -1 out/*.txt
