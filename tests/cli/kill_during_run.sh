#!/usr/bin/env bash
# Kills pagewright-cli at random moments of a run and checks what is left in the output folder.
# Not part of ctest: it wants a real corpus (bench/corpus.sh makes one) and takes a while.
#
# Usage: tests/cli/kill_during_run.sh CLI CORPUS [RUNS]
#   CLI     the pagewright-cli to try
#   CORPUS  a folder of PDFs, searched recursively
#   RUNS    how many runs to kill (default 50)
# The output folder starts with the complete texts of an undisturbed run; every run is killed
# (SIGKILL) after a random 0 to 1 s. Afterwards every text file must still be byte for byte the
# complete one, and no other file may be there. Prints the count of runs, of text files that were
# not whole and of stray files; exit status 1 when there were any.
set -euo pipefail
cli=$(realpath "$1")
corpus=$2
runs=${3:-50}
work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-kill.XXXXXX")
trap 'rm -rf "$work"' EXIT
find "$corpus" -type f -name '*.pdf' | LC_ALL=C sort >"$work/files.txt"
mkdir "$work/complete"
"$cli" -q -o "$work/complete" --files-from "$work/files.txt" || true
cp -r "$work/complete" "$work/out"
broken=0
stray=0
for _ in $(seq 1 "$runs"); do
    "$cli" -q -o "$work/out" --files-from "$work/files.txt" &
    pid=$!
    sleep "0.$(printf '%03d' $((RANDOM % 1000)))"
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    b=$(diff -rq "$work/complete" "$work/out" 2>&1 | grep -c 'differ' || true)
    s=$(find "$work/out" -mindepth 1 ! -name '*.txt' | wc -l)
    broken=$((broken + b))
    stray=$((stray + s))
    if [ "$b" -gt 0 ] || [ "$s" -gt 0 ]; then
        rm -rf "$work/out"
        cp -r "$work/complete" "$work/out"
    fi
done
echo "$runs runs killed: $broken text files not whole, $stray stray files"
[ "$broken" -eq 0 ] && [ "$stray" -eq 0 ]
