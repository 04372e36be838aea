#!/usr/bin/env bash
# Builds the Debian packages of Pagewright into build/package/: pagewright-cli_VERSION_ARCH.deb (the
# command-line tool, without Qt) and pagewright_VERSION_ARCH.deb (the window, which depends on it),
# for `apt-get install ./build/package/*.deb`. Builds in the release tree, build/release, which
# scripts/run.sh uses too, so what is built already is not built again. Installs what a fresh
# Debian 12 machine lacks.
# Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

# dpkg-shlibdeps (dpkg-dev) and file find the libraries that the programs need.
ensure_packages "${BUILD_PACKAGES[@]}" dpkg-dev file

cmake --preset release >/dev/null
cmake --build --preset release
output=build/package
rm -rf "$output" && mkdir -p "$output"
cpack --config build/release/CPackConfig.cmake -G DEB -B "$output" >/dev/null
rm -rf "$output/_CPack_Packages"
echo "Built:"
ls -1 "$output"/*.deb
