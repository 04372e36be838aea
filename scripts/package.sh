#!/usr/bin/env bash
# Builds the Debian package of Pagewright into build/package/ (pagewright_VERSION_ARCH.deb), for
# `apt-get install ./build/package/pagewright_*.deb`. Installs what a fresh Debian 12 machine lacks.
# Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

# dpkg-shlibdeps (dpkg-dev) and file find the libraries that the programs need.
ensure_packages "${BUILD_PACKAGES[@]}" dpkg-dev file

build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPAGEWRIGHT_BUILD_TESTS=OFF -DPAGEWRIGHT_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
rm -f "$build"/pagewright_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
echo "Built: $(ls "$build"/pagewright_*.deb)"
