#!/usr/bin/env bash
# Checks that the project's own C++ sources are formatted as .clang-format says (clang-format 14,
# Debian 12's). Prints what differs and fails when anything does; formats nothing.
# Usage: scripts/check-format.sh    (to format: clang-format -i FILE...)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ensure_packages clang-format git

mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.h.in')
clang-format --dry-run --Werror "${files[@]}"
echo "Formatted as .clang-format says: ${#files[@]} files."
