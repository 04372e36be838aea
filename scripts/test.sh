#!/usr/bin/env bash
# Builds Pagewright with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test; the
# engine and the command-line tool also under ThreadSanitizer.
# Installs what a fresh Debian 12 machine lacks. Usage: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

# util-linux (setpriv, prlimit): hostile cases run as an unprivileged user under a process limit.
# desktop-file-utils and groff-base: the installed desktop entry and manual pages are checked.
# strace: a hostile case holds a read of a PDF while the PDF is replaced.
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev fonts-dejavu-core util-linux desktop-file-utils groff-base \
    strace
# Number reading is tested under a locale with a decimal comma.
ensure_locale de_DE.UTF-8

build=build/test
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DPAGEWRIGHT_SANITIZE=ON \
    -DPAGEWRIGHT_WERROR=ON \
    -DPAGEWRIGHT_BUILD_BENCH=ON \
    -DPAGEWRIGHT_BUILD_TOOLS=ON \
    -DPAGEWRIGHT_INFLATE=zlib
cmake --build "$build" --parallel "$(nproc)"

# The full build above keeps zlib, the reference, in the stream loop; the engine and the CLI are
# built once more with libdeflate there (what a release build picks when it is installed): every
# test and the fuzz corpus must give the same answers.
libdeflate_build=build/test-libdeflate
cmake -S . -B "$libdeflate_build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DPAGEWRIGHT_SANITIZE=ON \
    -DPAGEWRIGHT_WERROR=ON \
    -DPAGEWRIGHT_BUILD_GUI=OFF \
    -DPAGEWRIGHT_INFLATE=libdeflate
cmake --build "$libdeflate_build" --parallel "$(nproc)"

# Everything that runs on several threads once more under ThreadSanitizer: the ordered runner, the
# engine shared by its threads, the command-line tool, and the window's run (batch/, with the other
# Qt Core parts; the widgets are left out).
tsan_build=build/test-tsan
cmake -S . -B "$tsan_build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DPAGEWRIGHT_SANITIZE_THREAD=ON \
    -DPAGEWRIGHT_WERROR=ON \
    -DPAGEWRIGHT_BUILD_GUI=OFF \
    -DPAGEWRIGHT_BUILD_QT_CORE=ON
cmake --build "$tsan_build" --parallel "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/support/tsan_qt.supp}
ctest --test-dir "$tsan_build" --output-on-failure --parallel "$(nproc)"
ctest --test-dir "$libdeflate_build" --output-on-failure --parallel "$(nproc)"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
