#!/usr/bin/env bash
# Peak memory of a conversion, on a corpus and on hand-made PDFs that push it.
#
# Usage: bench/memory.sh CORPUS
#   CORPUS  a folder of PDFs (bench/corpus.sh makes one); searched recursively
# Environment: PAGEWRIGHT_REFERENCE_CLI=PATH  another pagewright-cli (an older build) to set beside
#   this one in the address-space test.
#
# Builds Release trees under build/bench-zlib and build/bench-libdeflate, then:
#  1. peak_memory converts every PDF of the corpus and every hand-made one in a process of its
#     own and reports how far its resident memory rose, against the file's size plus what its
#     largest stream inflated to;
#  2. /usr/bin/time -v gives the peak resident memory of pagewright-cli -j1 over the whole corpus;
#  3. the smallest address-space limit (ulimit -v, in MiB) under which pagewright-cli still converts
#     each hand-made PDF: what a conversion reserves, not only what it touches.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/setup.sh

corpus=${1:?usage: bench/memory.sh CORPUS}
[ -d "$corpus" ] || { echo "error: no folder $corpus" >&2; exit 2; }
ensure_packages "${BUILD_PACKAGES[@]}" libdeflate-dev time

for variant in zlib libdeflate; do
    cmake -S . -B "build/bench-$variant" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAGEWRIGHT_BUILD_TESTS=OFF \
        -DPAGEWRIGHT_BUILD_BENCH=ON -DPAGEWRIGHT_BUILD_GUI=OFF -DPAGEWRIGHT_INFLATE="$variant" >/dev/null
    cmake --build "build/bench-$variant" --parallel "$(nproc)" --target pagewright-cli peak_memory >/dev/null
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-memory.XXXXXX")
out_base=${PAGEWRIGHT_BENCH_OUT:-/dev/shm}
[ -d "$out_base" ] && [ -w "$out_base" ] || out_base=$work
outputs=$(mktemp -d "$out_base/pagewright-memory-out.XXXXXX")
trap 'rm -rf "$outputs"' EXIT
list=$work/files.txt
find "$corpus" -type f -name '*.pdf' | LC_ALL=C sort >"$list"
bombs=$work/bombs
mkdir -p "$bombs"
build/bench-zlib/bin/peak_memory --make-bombs "$bombs"
echo "work folder: $work" >&2

for variant in zlib libdeflate; do
    echo
    echo "== peak_memory, $variant build: hand-made PDFs"
    build/bench-$variant/bin/peak_memory --out "$outputs" "$bombs"/*.pdf
    echo
    echo "== peak_memory, $variant build: corpus (the 5 largest rises, and the summary)"
    build/bench-$variant/bin/peak_memory --out "$outputs" --files-from "$list" >"$work/corpus-$variant.txt"
    sed '1d;$d' "$work/corpus-$variant.txt" | sort -k4,4 -g -r >"$work/corpus-$variant-sorted.txt"
    head -n 1 "$work/corpus-$variant.txt"
    head -n 5 "$work/corpus-$variant-sorted.txt"
    tail -n 1 "$work/corpus-$variant.txt"
done

echo
echo "== pagewright-cli -j1 over the corpus: peak resident memory"
for variant in zlib libdeflate; do
    rm -rf "$outputs/cli" && mkdir "$outputs/cli"
    /usr/bin/time -f "$variant: %M KiB peak resident, %e s" \
        "build/bench-$variant/bin/pagewright-cli" -q -j1 -o "$outputs/cli" --files-from "$list"
done

# The smallest address-space limit, in MiB (to 8 MiB), under which the command converts the file.
smallest_limit() {
    local cli=$1 file=$2 low=8 high=4096 mid
    converts() {
        rm -rf "$outputs/lim" && mkdir "$outputs/lim"
        bash -c 'ulimit -v $(($1 * 1024)) && exec "$2" -q -j1 -o "$3" "$4"' - "$1" "$cli" "$outputs/lim" "$file" \
            >/dev/null 2>&1
    }
    converts "$high" || { echo ">$high"; return; }
    while [ $((high - low)) -gt 8 ]; do
        mid=$(((low + high) / 2))
        if converts "$mid"; then high=$mid; else low=$mid; fi
    done
    echo "$high"
}
echo
echo "== smallest address-space limit (MiB) under which pagewright-cli converts each hand-made PDF"
clis=("zlib:build/bench-zlib/bin/pagewright-cli" "libdeflate:build/bench-libdeflate/bin/pagewright-cli")
[ -n "${PAGEWRIGHT_REFERENCE_CLI:-}" ] && clis+=("reference:$PAGEWRIGHT_REFERENCE_CLI")
printf '%-24s' "file"
for entry in "${clis[@]}"; do printf '%14s' "${entry%%:*}"; done
echo
for file in "$bombs"/*.pdf; do
    printf '%-24s' "$(basename "$file")"
    for entry in "${clis[@]}"; do printf '%14s' "$(smallest_limit "${entry#*:}" "$file")"; done
    echo
done
