#!/usr/bin/env bash
# Stops pagewright-cli at random moments of a run and checks what is left in the output folder.
# Not part of ctest: it wants a real corpus (bench/corpus.sh makes one) and takes a while.
#
# Usage: tests/cli/kill_during_run.sh CLI CORPUS [RUNS] [SIGNAL]
#   CLI     the pagewright-cli to try
#   CORPUS  a folder of PDFs, searched recursively
#   RUNS    how many runs to stop (default 50)
#   SIGNAL  the signal that stops them (default KILL; TERM, INT and HUP are handled by the tool)
# The output folder starts with the complete texts of an undisturbed run; every run is stopped
# after a random 0 to 1 s. Afterwards every text file must still be byte for byte the complete one,
# and no other file may be there. Files that a SIGKILL leaves are counted, then the next run must
# remove them. Prints the count of runs, of text files that were not whole, of stray files left by
# the stopped runs and of those still there after the next run; exit status 1 when any text was
# not whole, any stray file stayed, or (for a signal the tool handles) any was left at all.
set -euo pipefail
cli=$(realpath "$1")
corpus=$2
runs=${3:-50}
signal=${4:-KILL}
work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-kill.XXXXXX")
# Only this shell cleans up (a job signalled before it has started its program is still a copy of
# this shell, with this trap).
trap '[ "$BASHPID" = "$$" ] && rm -rf "$work"' EXIT
find "$corpus" -type f -name '*.pdf' | LC_ALL=C sort >"$work/files.txt"
mkdir "$work/complete"
"$cli" -q -o "$work/complete" --files-from "$work/files.txt" || true
cp -r "$work/complete" "$work/out"
broken=0
stray=0
stayed=0
for _ in $(seq 1 "$runs"); do
    touch "$work/marker"
    env --default-signal=INT,TERM,HUP "$cli" -q -o "$work/out" --files-from "$work/files.txt" &
    pid=$!
    sleep "0.$(printf '%03d' $((RANDOM % 1000)))"
    kill -s "$signal" "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    b=$(diff -rq "$work/complete" "$work/out" 2>&1 | grep -c 'differ' || true)
    s=$(find "$work/out" -mindepth 1 ! -name '*.txt' -cnewer "$work/marker" | wc -l)
    broken=$((broken + b))
    stray=$((stray + s))
    if [ "$b" -gt 0 ]; then
        rm -rf "$work/out"
        cp -r "$work/complete" "$work/out"
    fi
done
# A run to the end removes what the stopped ones left.
"$cli" -q -o "$work/out" --files-from "$work/files.txt" || true
stayed=$(find "$work/out" -mindepth 1 ! -name '*.txt' | wc -l)
echo "$runs runs stopped by SIG$signal: $broken text files not whole, $stray stray files left by them," \
    "$stayed after the next run"
[ "$broken" -eq 0 ] && [ "$stayed" -eq 0 ] && { [ "$signal" = KILL ] || [ "$stray" -eq 0 ]; }
