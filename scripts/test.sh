#!/usr/bin/env bash
# Builds Pagewright with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
# Installs what a fresh Debian 12 machine lacks. Usage: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev fonts-dejavu-core
# Number reading is tested under a locale with a decimal comma.
ensure_locale de_DE.UTF-8

build=build/test
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DPAGEWRIGHT_SANITIZE=ON \
    -DPAGEWRIGHT_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
