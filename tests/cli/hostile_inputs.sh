#!/usr/bin/env bash
# pagewright-cli against hostile inputs and a failing system, as a user of the shell would meet
# them. Each case prints "ok - NAME" or "not ok - NAME: what went wrong"; the exit status is 1 when
# any case failed. Cases that root would get through (permissions, the process limit) run as the
# user nobody when the script runs as root, and as the calling user otherwise.
#
# Usage: hostile_inputs.sh CLI PDF PDF2
#   CLI       the pagewright-cli to try
#   PDF PDF2  two small PDFs with different texts in them
# $PAGEWRIGHT_CLI_WITHOUT_MEMORY, when set, is a build of CLI whose worker threads find no memory
# (tests/cli/worker_without_memory.cpp); cases that need it, root, or strace say so when skipped.
set -u
cli=$(realpath "$1")
pdf=$(realpath "$2")
pdf2=$(realpath "$3")
failed=0
work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-hostile.XXXXXX")
# Only this shell cleans up: a job it starts and signals at once can be hit while it is still a
# copy of this shell, which would run this trap too and take the work folder from under the run.
trap '[ "$BASHPID" = "$$" ] && rm -rf "$work"' EXIT
chmod 755 "$work"
# A copy the unprivileged user can reach, wherever the build tree lives.
cp "$cli" "$work/pagewright-cli"
chmod 755 "$work/pagewright-cli"
cli=$work/pagewright-cli
earlier="text of an earlier run"
case_number=0

# A CLI built with a sanitizer cannot run under a memory limit; a plain build is kept to one.
memory_limit=""
if bash -c 'ulimit -v 4000000 && "$1" --version >/dev/null 2>&1' - "$cli" 2>/dev/null; then
    memory_limit="ulimit -v 4000000;"
fi
# Leak checking needs a thread of its own at exit; the process-limit case has none to spare.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

fail() {
    echo "not ok - $case_name: $*"
    case_ok=0
}
begin() {
    case_name=$1
    case_ok=1
    dir=$work/case-$((++case_number))
    mkdir -p "$dir/in" "$dir/out"
    chmod 777 "$dir" "$dir/in" "$dir/out"
    cd "$dir" || exit 2
}
end() {
    if [ "$case_ok" = 1 ]; then
        echo "ok - $case_name"
    else
        failed=1
    fi
}
# run [CMD...]: runs the command with a time limit; sets status and err (standard error).
run() {
    err=$(timeout 20 "$@" 2>&1 >/dev/null)
    status=$?
    [ "$status" = 124 ] && fail "hung (killed after 20 s): $*"
}
user=()
[ "$(id -u)" = 0 ] && user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
expect_status() { [ "$status" = "$1" ] || fail "exit status $status, expected $1 ($err)"; }
expect_err() { [[ "$err" == *"$1"* ]] || fail "standard error lacks '$1': $err"; }
expect_file() { [ "$(cat "$1" 2>/dev/null)" = "$2" ] || fail "$1 holds '$(cat "$1" 2>/dev/null)', expected '$2'"; }
expect_only() { # FOLDER NAME...: the folder holds exactly these names
    local got want
    got=$(ls -A "$1" | LC_ALL=C sort | tr '\n' ' ')
    want=$(printf '%s\n' "${@:2}" | LC_ALL=C sort | tr '\n' ' ')
    [ "$got" = "$want" ] || fail "$1 holds '$got', expected '$want'"
}

# 1. A failure keeps the earlier text in place.
begin "missing source keeps the earlier text"
echo "$earlier" >out/a.txt
run "$cli" -o out in/a.pdf
expect_status 1
expect_err "cannot open the PDF"
expect_file out/a.txt "$earlier"
end

begin "folder as source keeps the earlier text"
mkdir in/a.pdf
echo "$earlier" >out/a.txt
run "$cli" -o out in/a.pdf
expect_status 1
expect_err "the PDF is a folder, not a regular file"
expect_file out/a.txt "$earlier"
end

begin "unreadable source keeps the earlier text (unprivileged)"
cp "$pdf" in/a.pdf
chmod 000 in/a.pdf
echo "$earlier" >out/a.txt
chmod 666 out/a.txt
run "${user[@]}" "$cli" -o out in/a.pdf
expect_status 1
expect_err "Permission denied"
expect_file out/a.txt "$earlier"
end

begin "full disk keeps the earlier text and leaves nothing behind"
cp "$pdf" in/a.pdf
echo "$earlier" >out/a.txt
# No byte may be written to any file (the limit stands in for a full disk).
run bash -c 'trap "" XFSZ; ulimit -f 0; exec "$@"' - "$cli" -o out in/a.pdf
expect_status 1
expect_err "cannot write the text file: File too large"
expect_file out/a.txt "$earlier"
expect_only out a.txt
end

# 2. A source of the run is never written as a target.
begin "a source of the run is not overwritten by another's text"
mkdir e o2
cp "$pdf" e/b.pdf
echo "$earlier" >o2/b.txt
run "$cli" -o o2 o2/b.txt e/b.pdf
expect_status 1
expect_err "would overwrite"
expect_file o2/b.txt "$earlier"
end

# 3. A NUL byte in a list line fails that line only.
begin "NUL byte in a list line names no other file"
mkdir x
cp "$pdf" g.pdf
cp "$pdf" in/fine.pdf
echo "$earlier" >out/victim.conf
printf 'g.pdf\0x/victim.conf\0.pdf\nin/fine.pdf\n' >list
run "$cli" -o out --files-from list
expect_status 1
expect_err 'g.pdf\x00x/victim.conf\x00.pdf: the file name holds a NUL byte'
expect_file out/victim.conf "$earlier"
[ -s out/fine.txt ] || fail "the good line was not converted"
end

# 4. A list on standard input that cannot be read fails as a named one does.
begin "closed standard input is no empty list"
err=$(timeout 20 "$cli" -o out --files-from - 2>&1 <&-)
status=$?
expect_status 2
expect_err "cannot read the list from standard input"
end

begin "a folder as standard input is no empty list"
err=$(timeout 20 "$cli" -o out --files-from - 2>&1 <in)
status=$?
expect_status 2
expect_err "cannot read the list from standard input: Is a directory"
end

# 5. Only regular files are read and written.
begin "named pipe as source fails at once and keeps the earlier text"
mkfifo in/p.pdf
echo "$earlier" >out/p.txt
run "$cli" -o out in/p.pdf
expect_status 1
expect_err "the PDF is a named pipe, not a regular file"
expect_file out/p.txt "$earlier"
end

begin "named pipe as target fails at once"
cp "$pdf" in/p.pdf
mkfifo out/p.txt
run "$cli" -o out in/p.pdf
expect_status 1
expect_err "the text file is a named pipe, not a regular file"
[ -p out/p.txt ] || fail "the pipe was replaced"
end

begin "endless device as source fails at once"
ln -s /dev/zero in/z.pdf
echo "$earlier" >out/z.txt
run bash -c "$memory_limit"' exec "$@"' - "$cli" -o out in/z.pdf
expect_status 1
expect_err "the PDF is a device, not a regular file"
expect_file out/z.txt "$earlier"
end

begin "device as target is left alone"
cp "$pdf" in/n.pdf
ln -s /dev/null out/n.txt
run "$cli" -o out in/n.pdf
expect_status 1
expect_err "the text file is a device, not a regular file"
end

# 6. Threads refused by the process limit: fewer workers, every file converted, a true report.
begin "refused threads leave the work to the calling thread (unprivileged)"
for n in 1 2 3 4; do cp "$pdf" "in/f$n.pdf"; done
run prlimit --nproc=1 -- "${user[@]}" "$cli" -j 4 -o out in/f1.pdf in/f2.pdf in/f3.pdf in/f4.pdf
expect_status 0
expect_err "could not start more threads"
expect_err "4 of 4 files converted"
for n in 1 2 3 4; do [ -s "out/f$n.txt" ] || fail "out/f$n.txt missing"; done
end

# 7. Write errors on standard output are failures.
begin "help to a full disk fails"
err=$(timeout 20 "$cli" --help 2>&1 >/dev/full)
status=$?
expect_status 1
expect_err "cannot write to standard output: No space left on device"
end

begin "version to a closed standard output fails"
err=$(timeout 20 "$cli" --version 2>&1 >&-)
status=$?
expect_status 1
expect_err "cannot write to standard output"
end

# 9. Names are printed with their control bytes escaped.
begin "control bytes of a name are escaped on standard error"
run "$cli" -o out $'in/\e]0;owned\a\e[2J\x9b1m.pdf'
expect_status 1
expect_err 'in/\x1B]0;owned\x07\x1B[2J\x9B1m.pdf: cannot open the PDF'
[[ "$err" == *$'\e'* || "$err" == *$'\a'* ]] && fail "raw control bytes on standard error"
end

# Beyond the listed cases.
begin "read-only earlier text is kept (unprivileged)"
cp "$pdf" in/a.pdf
echo "$earlier" >out/a.txt
chmod 444 out/a.txt
run "${user[@]}" "$cli" -o out in/a.pdf
expect_status 1
expect_err "Permission denied"
expect_file out/a.txt "$earlier"
end

begin "folder closed to writing keeps the earlier text (unprivileged)"
cp "$pdf" in/a.pdf
echo "$earlier" >out/a.txt
chmod 666 out/a.txt
chmod 755 out
run "${user[@]}" "$cli" -o out in/a.pdf
expect_status 1
expect_err "cannot create the text file: Permission denied"
expect_file out/a.txt "$earlier"
expect_only out a.txt
end

begin "two runs writing the same text files at once never mix them"
mkdir a b
for n in $(seq 1 40); do
    cp "$pdf" "a/$n.pdf"
    cp "$pdf2" "b/$n.pdf"
done
"$cli" -q -j 2 -o out a/*.pdf &
"$cli" -q -j 2 -o out b/*.pdf
wait
"$cli" -q -o in a/1.pdf b/1.pdf 2>/dev/null # in/1.txt: the text of b/1.pdf, the later one
"$cli" -q -o . a/1.pdf
for n in $(seq 1 40); do
    if ! cmp -s "out/$n.txt" 1.txt && ! cmp -s "out/$n.txt" in/1.txt; then
        fail "out/$n.txt is neither text whole"
        break
    fi
done
expect_only out $(seq -f '%g.txt' 1 40)
end

begin "closed standard error takes no text file's place"
for n in 1 2 3; do cp "$pdf" "in/f$n.pdf"; done
timeout 20 "$cli" -j 3 -o out in/f1.pdf in/gone.pdf in/f2.pdf in/f3.pdf 2>&- >&-
status=$?
err=""
expect_status 1
for n in 1 2 3; do
    grep -q pagewright-cli "out/f$n.txt" && fail "a message landed in out/f$n.txt"
done
end

# 10. Standard output that fails is a failure, named once; a broken pipe ends the run as SIGPIPE does.
begin "texts to a full disk fail, each reason named once"
cp "$pdf" in/a.pdf
cp "$pdf2" in/b.pdf
err=$(timeout 20 "$cli" -o - in/a.pdf in/gone.pdf in/b.pdf 2>&1 >/dev/full)
status=$?
expect_status 1
expect_err "in/a.pdf: cannot write to standard output: No space left on device"
expect_err "in/gone.pdf: cannot open the PDF"
expect_err "0 of 3 files converted to standard output, 2 failed, 1 not written: cannot write to standard output: No space left on device"
[[ "$err" == *"in/b.pdf"* ]] && fail "the file not written is named on its own: $err"
end

begin "texts to a closed standard output fail"
cp "$pdf" in/a.pdf
err=$(timeout 20 "$cli" -o - in/a.pdf 2>&1 >&-)
status=$?
expect_status 1
expect_err "in/a.pdf: cannot write to standard output: Bad file descriptor"
expect_err "0 of 1 file converted"
end

begin "a small file system filling up cuts the last text, which fails (root)"
if [ "$(id -u)" != 0 ]; then
    echo "# skipped: mounting a file system needs root"
else
    mkdir fs
    mount -t tmpfs -o size=64k tmpfs fs
    # One page of 4,096 bytes left: the texts fill it and the last one is cut.
    head -c $((15 * 4096)) /dev/zero >fs/filler
    "$cli" -q -o . "$pdf"
    size=$(wc -c <"$(basename "${pdf%.*}").txt")
    count=$((4096 / size + 1))
    for n in $(seq 1 "$count"); do cp "$pdf" "in/f$n.pdf"; done
    err=$(timeout 20 "$cli" -j 2 -o - $(seq -f 'in/f%g.pdf' 1 "$count") 2>&1 >fs/out)
    status=$?
    expect_status 1
    expect_err "in/f$count.pdf: cannot write to standard output: No space left on device"
    expect_err "$((count - 1)) of $count files converted to standard output, 1 failed"
    umount fs
fi
end

begin "a broken pipe ends the run as SIGPIPE does, also when it was ignored"
for n in $(seq 1 200); do cp "$pdf" "in/f$n.pdf"; done
(trap '' PIPE; timeout 20 "$cli" -j 2 -o - in/f*.pdf 2>err; echo "$?" >status) | head -c 10 >/dev/null
status=$(cat status)
err=$(cat err)
expect_status 141
[ -z "$err" ] || fail "standard error not quiet: $err"
end

# 11. No input of the run is ever an output.
begin "standard output appended to or over a PDF or a list of the run writes nothing"
cp "$pdf" in/a.pdf
cp "$pdf2" in/b.pdf
cp in/a.pdf a.keep
cp in/b.pdf b.keep
err=$(timeout 20 "$cli" -o - in/a.pdf in/b.pdf 2>&1 >>in/b.pdf)
status=$?
expect_status 2
expect_err "standard output is the PDF 'in/b.pdf' of this run: nothing written"
# (Outside a command substitution: bash 5.2 takes "1<>" there for standard input.)
timeout 20 "$cli" -o - in/a.pdf in/b.pdf 1<>in/a.pdf 2>err
status=$?
err=$(cat err)
expect_status 2
expect_err "standard output is the PDF 'in/a.pdf' of this run"
printf 'in/a.pdf\n' >list
err=$(timeout 20 "$cli" -o - --files-from list 2>&1 >>list)
status=$?
expect_status 2
expect_err "standard output is the list 'list' of this run"
expect_file list "in/a.pdf"
cmp -s in/a.pdf a.keep || fail "in/a.pdf was changed"
cmp -s in/b.pdf b.keep || fail "in/b.pdf was changed"
end

begin "a list of the run in the output folder is not overwritten"
cp "$pdf" a.pdf
printf 'a.pdf\n' >out/a.txt
run "$cli" -o out --files-from out/a.txt
expect_status 1
expect_err "a.pdf: the text file would overwrite a list of this run"
expect_file out/a.txt "a.pdf"
err=$(timeout 20 "$cli" -o out --files-from - 2>&1 <out/a.txt)
status=$?
expect_status 1
expect_err "the text file would overwrite a list of this run"
expect_file out/a.txt "a.pdf"
end

# 12. Reasons as the system gives them, and paths that only the folder's descriptor keeps short.
begin "a read-only file system is named as such (root)"
if [ "$(id -u)" != 0 ]; then
    echo "# skipped: mounting a file system needs root"
else
    cp "$pdf" in/a.pdf
    cp "$pdf" in/b.pdf
    mkdir ro
    mount -t tmpfs -o size=64k tmpfs ro
    echo "$earlier" >ro/a.txt
    mount -o remount,ro ro
    run "$cli" -o ro in/a.pdf in/b.pdf
    expect_status 1
    expect_err "in/a.pdf: cannot write the text file: Read-only file system"
    expect_err "in/b.pdf: cannot create the text file: Read-only file system"
    expect_file ro/a.txt "$earlier"
    umount ro
fi
end

begin "an output folder whose text paths are just short enough"
cp "$pdf" in/a.pdf
# A folder path of 4,079 bytes: out/a.txt has 4,085, a temporary's name would not fit beside it.
component=$(printf 'f%.0s' $(seq 1 150))
deep=$dir/d
while [ ${#deep} -lt 3900 ]; do deep=$deep/$component; done
last=$(printf 'g%.0s' $(seq 1 $((4079 - ${#deep} - 1))))
deep=$deep/$last
# Made one folder at a time from inside the one before: the whole path is beyond what mkdir -p takes.
(
    cd "$dir" && mkdir d && cd d || exit 1
    for part in $(echo "${deep#"$dir"/d/}" | tr / ' '); do mkdir "$part" && cd "$part" || exit 1; done
) || fail "cannot make the folder"
run "$cli" -o "$deep" in/a.pdf
expect_status 0
[ "$(find d -type f)" = "${deep#"$dir"/}/a.txt" ] || fail "the folder does not hold a.txt alone: $(find d -type f | tail -c 200)"
end

# 13. Only PDFs are converted.
begin "an empty file or a picture named .pdf keeps the earlier text"
: >in/empty.pdf
printf '\211PNG\r\n\032\n\0\0\0\rIHDR' >in/picture.pdf
echo "$earlier" >out/empty.txt
echo "$earlier" >out/picture.txt
run "$cli" -o out in/empty.pdf in/picture.pdf
expect_status 1
expect_err "in/empty.pdf: not a PDF file"
expect_err "in/picture.pdf: not a PDF file"
expect_file out/empty.txt "$earlier"
expect_file out/picture.txt "$earlier"
end

# 14. Targets grouped by what they are, and --update converting what a full run converts.
begin "two text files that are one file through a link: the later PDF decides"
cp "$pdf" in/a.pdf
cp "$pdf2" in/b.pdf
"$cli" -q -o . in/b.pdf
for j in 1 2; do
    echo "$earlier" >out/a.txt
    ln -sf a.txt out/b.txt
    run "$cli" -j "$j" -o out in/a.pdf in/b.pdf
    expect_status 0
    expect_err "in/a.pdf and in/b.pdf share the text file"
    expect_err "1 of 2 files converted into out, 1 left to a later PDF of the same text file"
    cmp -s out/a.txt b.txt || fail "-j $j: out/a.txt does not hold the text of in/b.pdf"
done
end

begin "--update tries the unreadable last PDF of a group again (unprivileged)"
mkdir a b
cp "$pdf" a/x.pdf
cp "$pdf2" b/x.pdf
chmod 000 b/x.pdf
for pass in 1 2; do
    run "${user[@]}" "$cli" --update -o out a/x.pdf b/x.pdf
    expect_status 1
    expect_err "b/x.pdf: cannot open the PDF: Permission denied"
    [ -e out/x.txt ] && fail "run $pass: out/x.txt written from a PDF that does not decide it"
done
end

begin "--update converts again a PDF replaced while it was read"
if ! strace -o /dev/null true 2>/dev/null; then
    echo "# skipped: strace cannot trace here"
else
    cp "$pdf" x.pdf
    cp "$pdf2" new.pdf
    "$cli" -q -o . new.pdf
    # The read of x.pdf is held for 3 s once its bytes are in: the PDF is replaced meanwhile.
    strace -f -qq -o trace -P x.pdf -e trace=read -e inject=read:delay_exit=3000000 \
        "$cli" -q --update -o out x.pdf 2>/dev/null &
    traced=$!
    for _ in $(seq 1 200); do grep -q DELAYED trace 2>/dev/null && break; sleep 0.05; done
    grep -q DELAYED trace || fail "the read was not held"
    cp new.pdf x.new
    mv x.new x.pdf
    wait "$traced"
    run "$cli" --update -o out x.pdf
    expect_status 0
    cmp -s out/x.txt new.txt || fail "out/x.txt does not hold the text of the PDF that replaced it"
fi
end

# 15. Lack of memory in a worker thread fails its files alone.
begin "a worker that finds no memory fails its files alone"
if [ -z "${PAGEWRIGHT_CLI_WITHOUT_MEMORY:-}" ]; then
    echo "# skipped: PAGEWRIGHT_CLI_WITHOUT_MEMORY not set"
else
    for n in $(seq 1 20); do
        cp "$pdf" "in/f$n.pdf"
        echo "$earlier" >"out/f$n.txt"
    done
    "$cli" -q -o . in/f1.pdf
    run "$PAGEWRIGHT_CLI_WITHOUT_MEMORY" -j 2 -o out $(seq -f 'in/f%g.pdf' 1 20)
    expect_status 1
    expect_err "not enough memory"
    [[ "$err" == *"failed"* && "$err" == *" of 20 files converted"* ]] || fail "no summary: $err"
    for n in $(seq 1 20); do
        if ! cmp -s "out/f$n.txt" f1.txt && [ "$(cat "out/f$n.txt")" != "$earlier" ]; then
            fail "out/f$n.txt is neither the earlier text nor the new one"
        fi
    done
fi
end

# 16. A run that is stopped removes its temporaries.
begin "SIGTERM, SIGINT or SIGHUP at any moment leave no temporary"
for n in $(seq 1 1500); do cp "$pdf" "in/f$n.pdf"; done
"$cli" -q -o out in/f*.pdf
cp out/f1.txt whole.txt
leftover=0
for trial in $(seq 1 60); do
    signal=$(((trial % 3 == 0) ? 2 : (trial % 3 == 1) ? 15 : 1))
    env --default-signal=INT,TERM,HUP "$cli" -q -o out in/f*.pdf &
    pid=$!
    sleep "0.$(printf '%03d' $((RANDOM % 400)))"
    kill -s "$signal" "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    status=$?
    [ "$status" = 0 ] || [ "$status" = $((128 + signal)) ] || fail "signal $signal: exit status $status"
    leftover=$((leftover + $(find out -name '.pagewright-*' | wc -l)))
    find out -name '.pagewright-*' -delete
done
[ "$leftover" = 0 ] || fail "$leftover temporaries left behind"
for n in $(seq 1 1500); do cmp -s "out/f$n.txt" whole.txt || { fail "out/f$n.txt not whole"; break; }; done
end

exit $failed
