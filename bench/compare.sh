#!/usr/bin/env bash
# Times pagewright-cli against its inflate floors and against per-file loops of pdftotext and
# mutool, on the same files in one run, and checks that the zlib and libdeflate builds write the
# same bytes for every file.
#
# Usage: bench/compare.sh [--no-peers] [CORPUS...] [RUNS]
#   CORPUS      a folder of PDFs, searched recursively; default: the two corpora of bench/corpus.sh
#               (TeX-made manuals, and manuals of other producers: bench/corpus.sh --other)
#   RUNS        timed runs per command, at least 3 (default 5); the median is reported
#   --no-peers  leave out the pdftotext and mutool loops (they take most of the time)
# The commands take turns, one run each per round, after one round of warming up, so that a change
# in the machine's load touches all of them alike. Builds Release trees under build/bench-zlib and
# build/bench-libdeflate. Every command writes into its own folder, emptied before each run, under
# $PAGEWRIGHT_BENCH_OUT (default: /dev/shm, a memory file system, where there is one). On a disk
# file system the time to create thousands of files right after deleting thousands varies from run
# to run by more than the converter's own time (ext4 looks through recently deleted inodes, and
# rewriting a file flushes it), which would time the file system rather than the converter.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/setup.sh

peers=1
corpora=()
runs=5
for arg in "$@"; do
    case "$arg" in
    --no-peers) peers=0 ;;
    *) if [[ "$arg" =~ ^[0-9]+$ ]]; then runs=$arg; else corpora+=("$arg"); fi ;;
    esac
done
if [ "${#corpora[@]}" -eq 0 ]; then
    cache=${XDG_CACHE_HOME:-$HOME/.cache}/pagewright-bench
    corpora=("$cache/corpus" "$cache/corpus-other")
fi
[ "$runs" -ge 3 ] || { echo "error: RUNS must be at least 3" >&2; exit 2; }
for corpus in "${corpora[@]}"; do
    [ -d "$corpus" ] || { echo "error: no folder $corpus (make it with bench/corpus.sh)" >&2; exit 2; }
done

packages=("${BUILD_PACKAGES[@]}" libdeflate-dev libbenchmark-dev time)
[ "$peers" -eq 1 ] && packages+=(poppler-utils mupdf-tools)
ensure_packages "${packages[@]}"

for variant in zlib libdeflate; do
    cmake -S . -B "build/bench-$variant" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAGEWRIGHT_BUILD_TESTS=OFF -DPAGEWRIGHT_BUILD_BENCH=ON \
        -DPAGEWRIGHT_BUILD_GUI=OFF -DPAGEWRIGHT_INFLATE="$variant" >/dev/null
    cmake --build "build/bench-$variant" --parallel "$(nproc)" --target pagewright-cli inflate_floor >/dev/null
done
zcli=$root/build/bench-zlib/bin/pagewright-cli
dcli=$root/build/bench-libdeflate/bin/pagewright-cli
floor=$root/build/bench-libdeflate/bin/inflate_floor
cores=$(nproc)

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-compare.XXXXXX")
out_base=${PAGEWRIGHT_BENCH_OUT:-/dev/shm}
[ -d "$out_base" ] && [ -w "$out_base" ] || out_base=$work
outputs=$(mktemp -d "$out_base/pagewright-compare-out.XXXXXX")
echo "work folder: $work, outputs in $outputs" >&2

# Times every command of one corpus; prints its table.
compare_corpus() {
    local corpus=$1 tag=$2
    local list=$work/$tag-files.txt
    find "$corpus" -type f -name '*.pdf' | LC_ALL=C sort >"$list"
    local count bytes
    count=$(wc -l <"$list")
    [ "$count" -gt 0 ] || { echo "error: no PDFs in $corpus" >&2; exit 2; }
    bytes=$(tr '\n' '\0' <"$list" | du -cb --apparent-size --files0-from=- | tail -n1 | cut -f1)

    # name|command; the command writes into $out, which is fresh for every run.
    local commands=(
        "cli -j1 (zlib)|$zcli -q -j1 -o \"\$out\" --files-from $list"
        "cli -j$cores (zlib)|$zcli -q -o \"\$out\" --files-from $list"
        "cli -j1 (libdeflate)|$dcli -q -j1 -o \"\$out\" --files-from $list"
        "cli -j$cores (libdeflate)|$dcli -q -o \"\$out\" --files-from $list"
        "cli --update, nothing changed (libdeflate)|$dcli -q -j1 --update -o \"\$out\" --files-from $list"
        "inflate_floor (zlib)|$floor --files-from $list >/dev/null"
        "inflate_floor (libdeflate)|$floor --libdeflate --files-from $list >/dev/null"
    )
    if [ "$peers" -eq 1 ]; then
        commands+=(
            "pdftotext loop|while IFS= read -r f; do pdftotext -q \"\$f\" \"\$out/\$(basename \"\$f\" .pdf).txt\"; done <$list"
            "mutool loop|while IFS= read -r f; do mutool convert -F text -o \"\$out/\$(basename \"\$f\" .pdf).txt\" \"\$f\" >/dev/null 2>&1; done <$list"
        )
    fi
    local n=${#commands[@]} i round
    for ((i = 0; i < n; i++)); do
        local cmd=${commands[$i]#*|}
        printf 'out=%q\n%s\n' "$outputs/$tag-$i" "$cmd" >"$work/$tag-run-$i.sh"
        : >"$work/$tag-times-$i.txt"
    done
    echo "corpus $tag: $count PDFs, $bytes bytes, in $corpus" >&2
    local load_before
    load_before=$(cut -d' ' -f1-3 /proc/loadavg)
    for ((round = 0; round <= runs; round++)); do
        echo "round $round of $runs (0 warms up)" >&2
        for ((i = 0; i < n; i++)); do
            local name=${commands[$i]%%|*}
            # The update run finds the texts of the libdeflate -j1 run in place, all newer than their PDFs.
            if [[ "$name" == cli\ --update* ]]; then
                rm -rf "$outputs/$tag-$i" && cp -a "$outputs/$tag-2" "$outputs/$tag-$i"
            else
                rm -rf "$outputs/$tag-$i" && mkdir "$outputs/$tag-$i"
            fi
            # Wall time to the nanosecond; /usr/bin/time's own is in hundredths.
            local start end
            start=$(date +%s%N)
            /usr/bin/time -f '%U %S %M' -o "$work/$tag-time.txt" bash "$work/$tag-run-$i.sh"
            end=$(date +%s%N)
            [ "$round" -gt 0 ] && echo "$(((end - start) / 1000))e-6 $(cat "$work/$tag-time.txt")" >>"$work/$tag-times-$i.txt"
        done
    done

    # Every file converted by both builds, byte for byte the same.
    local identical="yes"
    if ! diff -r "$outputs/$tag-0" "$outputs/$tag-2" >"$work/$tag-zlib-vs-libdeflate.diff"; then
        identical="NO (see $work/$tag-zlib-vs-libdeflate.diff)"
    fi
    local bound
    bound=$("$floor" --files-from "$list" | awk '/bound/ { print $(NF - 1) }')

    median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
    local -a med cpu rss
    for ((i = 0; i < n; i++)); do
        med[$i]=$(cut -d' ' -f1 "$work/$tag-times-$i.txt" | awk '{ printf "%.6f\n", $1 }' | median)
        cpu[$i]=$(awk '{ s += $2 + $3 } END { printf "%.3f", s / NR }' "$work/$tag-times-$i.txt")
        rss[$i]=$(awk '$4 > m { m = $4 } END { print m }' "$work/$tag-times-$i.txt")
    done
    echo
    echo "### $tag: $count PDFs, $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB ($corpus)"
    echo
    echo "| Command | Median of $runs (s) | CPU, user+sys (s) | MB/s of PDF input | x inflate_floor (zlib) | x inflate_floor (libdeflate) | Peak RSS (MiB) |"
    echo "|---|---:|---:|---:|---:|---:|---:|"
    for ((i = 0; i < n; i++)); do
        awk -v name="${commands[$i]%%|*}" -v t="${med[$i]}" -v c="${cpu[$i]}" -v r="${rss[$i]}" \
            -v bytes="$bytes" -v fz="${med[5]}" -v fd="${med[6]}" 'BEGIN {
            printf "| %s | %.3f | %.3f | %.0f | %.2f | %.2f | %.1f |\n", name, t, c, bytes / 1e6 / t, t / fz, t / fd, r / 1024
        }'
    done
    echo
    awk -v z1="${med[0]}" -v zn="${med[1]}" -v d1="${med[2]}" -v dn="${med[3]}" -v u="${med[4]}" -v cores="$cores" 'BEGIN {
        printf "All cores (-j%d) over -j1: zlib %.2f x, libdeflate %.2f x. --update over an unchanged corpus: %.1f %% of a full -j1 run.\n", cores, z1 / zn, d1 / dn, 100 * u / d1
    }'
    echo "Memory bound (largest file + 10 x its largest stream + 32 MiB): $(awk -v b="$bound" 'BEGIN { printf "%.1f", b / 1048576 }') MiB"
    echo "Outputs of the zlib and libdeflate builds byte-identical on all $count files: $identical"
    echo "Load average before / after: $load_before / $(cut -d' ' -f1-3 /proc/loadavg)"
}

i=0
for corpus in "${corpora[@]}"; do
    i=$((i + 1))
    compare_corpus "$corpus" "$(basename "$corpus")"
done
echo
echo "Timings and logs kept in $work, the text outputs in $outputs"
