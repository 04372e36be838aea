#!/usr/bin/env bash
# Times pagewright-cli against its inflate floor and against per-file loops of pdftotext and
# mutool, on the same files in one run, and checks that the zlib and libdeflate builds write the
# same bytes for every file.
#
# Usage: bench/compare.sh CORPUS [RUNS]
#   CORPUS  a folder of PDFs (bench/corpus.sh makes one); searched recursively
#   RUNS    timed runs per command, at least 5 (default 5); the median is reported
# Builds Release trees under build/bench-zlib and build/bench-libdeflate. Every command writes into
# its own folder, emptied before each run, under $PAGEWRIGHT_BENCH_OUT (default: /dev/shm, a memory
# file system, where there is one). On a disk file system the time to create thousands of files
# right after deleting thousands varies from run to run by more than the converter's own time
# (ext4 looks through recently deleted inodes, and rewriting a file flushes it), which would time
# the file system rather than the converter.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/setup.sh

corpus=${1:?usage: bench/compare.sh CORPUS [RUNS]}
runs=${2:-5}
[ -d "$corpus" ] || { echo "error: no folder $corpus" >&2; exit 2; }
[ "$runs" -ge 5 ] || { echo "error: RUNS must be at least 5" >&2; exit 2; }

ensure_packages "${BUILD_PACKAGES[@]}" libdeflate-dev libbenchmark-dev time poppler-utils mupdf-tools hyperfine

for variant in zlib libdeflate; do
    cmake -S . -B "build/bench-$variant" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAGEWRIGHT_BUILD_TESTS=OFF -DPAGEWRIGHT_BUILD_BENCH=ON \
        -DPAGEWRIGHT_BUILD_GUI=OFF -DPAGEWRIGHT_INFLATE="$variant" >/dev/null
    cmake --build "build/bench-$variant" --parallel "$(nproc)" --target pagewright-cli inflate_floor >/dev/null
done
zcli=$root/build/bench-zlib/bin/pagewright-cli
dcli=$root/build/bench-libdeflate/bin/pagewright-cli
floor=$root/build/bench-zlib/bin/inflate_floor

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-compare.XXXXXX")
out_base=${PAGEWRIGHT_BENCH_OUT:-/dev/shm}
[ -d "$out_base" ] && [ -w "$out_base" ] || out_base=$work
outputs=$(mktemp -d "$out_base/pagewright-compare-out.XXXXXX")
list=$work/files.txt
find "$corpus" -type f -name '*.pdf' | LC_ALL=C sort >"$list"
count=$(wc -l <"$list")
[ "$count" -gt 0 ] || { echo "error: no PDFs in $corpus" >&2; exit 2; }
bytes=$(tr '\n' '\0' <"$list" | du -cb --apparent-size --files0-from=- | tail -n1 | cut -f1)
cores=$(nproc)

# name|command; the command writes into $out, which is fresh for every run.
commands=(
    "cli -j1 (zlib)|$zcli -q -j1 -o \"\$out\" --files-from $list"
    "cli -j$cores (zlib)|$zcli -q -o \"\$out\" --files-from $list"
    "cli -j1 (libdeflate)|$dcli -q -j1 -o \"\$out\" --files-from $list"
    "cli -j$cores (libdeflate)|$dcli -q -o \"\$out\" --files-from $list"
    "inflate_floor (zlib)|$floor --files-from $list >/dev/null"
    "inflate_floor (libdeflate)|$floor --libdeflate --files-from $list >/dev/null"
    "pdftotext loop|while IFS= read -r f; do pdftotext -q \"\$f\" \"\$out/\$(basename \"\$f\" .pdf).txt\"; done <$list"
    "mutool loop|while IFS= read -r f; do mutool convert -F text -o \"\$out/\$(basename \"\$f\" .pdf).txt\" \"\$f\" >/dev/null 2>&1; done <$list"
)

echo "corpus: $count PDFs, $bytes bytes, in $corpus" >&2
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "work folder: $work, outputs in $outputs" >&2
results=$work/results.txt
: >"$results"
i=0
for entry in "${commands[@]}"; do
    name=${entry%%|*}
    cmd=${entry#*|}
    i=$((i + 1))
    out=$outputs/out-$i
    script=$work/run-$i.sh
    printf 'out=%q\n%s\n' "$out" "$cmd" >"$script"
    echo "timing: $name" >&2
    hyperfine --style basic --runs "$runs" --warmup 1 \
        --prepare "rm -rf '$out' && mkdir '$out'" \
        --export-csv "$work/time-$i.csv" "bash $script" >&2
    median=$(awk -F, 'NR == 2 { print $4 }' "$work/time-$i.csv")
    cpu=$(awk -F, 'NR == 2 { print $5 + $6 }' "$work/time-$i.csv")
    # Peak resident memory of one more run; for the loops, the largest single process.
    rm -rf "$out" && mkdir "$out"
    /usr/bin/time -v -o "$work/rss-$i.txt" bash "$script"
    rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/rss-$i.txt")
    echo "$name|$median|$rss|$cpu" >>"$results"
done

# Every file converted by both builds, byte for byte the same.
identical="yes"
if ! diff -r "$outputs/out-1" "$outputs/out-3" >"$work/zlib-vs-libdeflate.diff"; then
    identical="NO (see $work/zlib-vs-libdeflate.diff)"
fi
bound=$("$floor" --files-from "$list" | awk '/bound/ { print $(NF - 1) }')

j1=$(awk -F'|' 'NR == 1 { print $2 }' "$results")
floorz=$(awk -F'|' 'NR == 5 { print $2 }' "$results")
echo
echo "| Command | Median of $runs (s) | CPU, user+sys (s) | MB/s of PDF input | x cli -j1 (zlib) | x inflate_floor (zlib) | Peak RSS (MiB) |"
echo "|---|---:|---:|---:|---:|---:|---:|"
awk -F'|' -v bytes="$bytes" -v j1="$j1" -v floorz="$floorz" '{
    printf "| %s | %.3f | %.3f | %.1f | %.2f | %.2f | %.1f |\n", $1, $2, $4, bytes / 1e6 / $2, $2 / j1, $2 / floorz, $3 / 1024
}' "$results"
echo
echo "Files: $count PDFs, $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB; cores: $cores"
echo "Memory bound (largest file + 10 x its largest stream + 32 MiB): $(awk -v b="$bound" 'BEGIN { printf "%.1f", b / 1048576 }') MiB"
echo "Outputs of the zlib and libdeflate builds byte-identical on all $count files: $identical"
echo "Load average before / after: $load_before / $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Timings and logs kept in $work, the text outputs in $outputs"
