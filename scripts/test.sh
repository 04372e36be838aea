#!/usr/bin/env bash
# Checks the formatting, builds Pagewright with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test; the engine and the command-line tool once more with libdeflate in the stream loop;
# everything that runs on several threads also under ThreadSanitizer. Installs what a fresh Debian 12
# machine lacks. This is what CI runs.
#
# With --quick: one unsanitized tree (build/dev), and only the tests of the folders that the change
# touches (the working tree against HEAD; when that is clean, the last commit): engine/inflate.cpp
# runs tests/engine's tests and the engine's fuzz corpora. A change to prose (*.md, docs/) runs none,
# a change anywhere else (CMake files, tools, test helpers) every test of that tree.
#
# Usage: scripts/test.sh [--quick]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh

quick=0
case "${1:-}" in
"") ;;
--quick) quick=1 ;;
*)
    echo "usage: scripts/test.sh [--quick]" >&2
    exit 2
    ;;
esac

# util-linux (setpriv, prlimit): hostile cases run as an unprivileged user under a process limit.
# desktop-file-utils and groff-base: the installed desktop entry and manual pages are checked.
# strace: a hostile case holds a read of a PDF while the PDF is replaced.
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev fonts-dejavu-core util-linux desktop-file-utils groff-base \
    strace
# Number reading is tested under a locale with a decimal comma.
ensure_locale de_DE.UTF-8

bash scripts/check-format.sh

if [ "$quick" -eq 1 ]; then
    # The labels of the tests are their folders under tests/ (and "fuzz" for the corpus replays).
    mapfile -t labels < <(cd tests && find . -mindepth 2 -name CMakeLists.txt -printf '%h\n' |
        sed 's|^\./||' | grep -v -x -e support -e fakes | sort -r)
    changed=$( (git diff --name-only HEAD; git ls-files --others --exclude-standard) | sort -u)
    [ -n "$changed" ] || changed=$(git diff --name-only HEAD~1 HEAD)
    picked=()
    everything=0
    for path in $changed; do
        case "$path" in
        *.md | docs/*) continue ;; # prose: no test reads it
        esac
        path=${path#tests/}
        label=
        if [[ $path == fuzz/* ]]; then
            label=fuzz
        fi
        for candidate in "${labels[@]}"; do # the deepest folder first
            if [ -z "$label" ] && [[ $path == "$candidate"/* ]]; then
                label=$candidate
            fi
        done
        if [ -z "$label" ]; then
            everything=1
            break
        fi
        picked+=("$label")
    done
    cmake --preset dev >/dev/null
    if [ "$everything" -eq 1 ]; then
        echo "Quick run: every test of build/dev"
        cmake --build --preset dev
        ctest --preset dev --parallel "$(nproc)"
        exit 0
    fi
    if [ "${#picked[@]}" -eq 0 ]; then
        echo "Quick run: the change touches no code"
        exit 0
    fi
    mapfile -t picked < <(printf '%s\n' "${picked[@]}" | sort -u)
    echo "Quick run: the tests of ${picked[*]}"
    targets=()
    for label in "${picked[@]}"; do
        targets+=("check-${label//\//-}")
    done
    cmake --build --preset dev --target "${targets[@]}"
    regex=$(printf '%s|' "${picked[@]}")
    ctest --preset dev --parallel "$(nproc)" -L "^(${regex%|})$"
    exit 0
fi

cmake --preset asan
cmake --build --preset asan

# The full build above keeps zlib, the reference, in the stream loop; the engine and the CLI are
# built once more with libdeflate there (what a release build picks when it is installed): every
# test and the fuzz corpus must give the same answers.
cmake --preset asan-libdeflate
cmake --build --preset asan-libdeflate

# Everything that runs on several threads once more under ThreadSanitizer: the ordered runner, the
# engine shared by its threads, the command-line tool, and the window's run (batch/, with the other
# Qt Core parts; the widgets are left out).
cmake --preset tsan
cmake --build --preset tsan

ctest --preset tsan --parallel "$(nproc)"
ctest --preset asan-libdeflate --parallel "$(nproc)"
ctest --preset asan --parallel "$(nproc)"
