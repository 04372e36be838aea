#!/usr/bin/env bash
# Cross-builds the Qt-free core (engine, target path rule, pagewright-cli) for 64-bit Windows with
# MinGW-w64 and runs its tests under Wine, headless. The executable lands in
# build/windows/bin/pagewright-cli.exe. Installs what a fresh Debian 12 machine lacks.
# Usage: scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

ensure_packages cmake ninja-build g++-mingw-w64-x86-64 libz-mingw-w64-dev wine64 googletest

build=build/windows
# Wine's own state for these runs, kept in the build tree (the presets say so to the build and the
# tests; the comparison below runs it itself).
export PAGEWRIGHT_WINEPREFIX="$PWD/$build/wine"
cmake --preset windows
cmake --build --preset windows
ctest --preset windows --parallel "$(nproc)"

# The same PDFs through the Windows tool under Wine and through the Linux tool give the same bytes.
linux_cli=build/test/bin/pagewright-cli
if [ ! -x "$linux_cli" ]; then
    cmake -S . -B build/linux-cli -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAGEWRIGHT_BUILD_GUI=OFF \
        -DBUILD_TESTING=OFF -DPAGEWRIGHT_INFLATE=zlib >/dev/null
    cmake --build build/linux-cli --target pagewright-cli >/dev/null
    linux_cli=build/linux-cli/bin/pagewright-cli
fi
compare=$build/compare
rm -rf "$compare" && mkdir -p "$compare/linux" "$compare/windows"
pdfs=(res/samples/*.pdf fuzz/corpus/engine/*.pdf)
"$linux_cli" -q -o "$compare/linux" "${pdfs[@]}"
cmake/wine-run.sh "$build/bin/pagewright-cli.exe" -q -o "$compare/windows" "${pdfs[@]}"
diff -r "$compare/linux" "$compare/windows"
echo "The Windows and the Linux tool wrote the same text for ${#pdfs[@]} PDFs."
