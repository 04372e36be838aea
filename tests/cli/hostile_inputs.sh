#!/usr/bin/env bash
# pagewright-cli against hostile inputs and a failing system, as a user of the shell would meet
# them. Each case prints "ok - NAME" or "not ok - NAME: what went wrong"; the exit status is 1 when
# any case failed. Cases that root would get through (permissions, the process limit) run as the
# user nobody when the script runs as root, and as the calling user otherwise.
#
# Usage: hostile_inputs.sh CLI PDF PDF2
#   CLI       the pagewright-cli to try
#   PDF PDF2  two small PDFs with different texts in them
set -u
cli=$(realpath "$1")
pdf=$(realpath "$2")
pdf2=$(realpath "$3")
failed=0
work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-hostile.XXXXXX")
trap 'rm -rf "$work"' EXIT
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

exit $failed
