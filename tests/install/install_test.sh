#!/usr/bin/env bash
# Installs a build into a temporary prefix, checks what was installed, and runs both programs from
# there: the command-line tool on a sample, the window offscreen until it is up.
# Usage: install_test.sh BUILD_DIR SAMPLE_PDF VERSION
set -euo pipefail
build=$1
sample=$2
version=$3
work=$(mktemp -d)
pid=
cleanup() {
    # Only this shell: the window's job, signalled before it has started the program, is still a
    # copy of this shell with this trap.
    [ "$BASHPID" = "$$" ] || return 0
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/pagewright
bin/pagewright-cli
share/applications/example.pagewright.Pagewright.desktop
share/doc/pagewright-cli/changelog.gz
share/doc/pagewright-cli/copyright
share/doc/pagewright/changelog.gz
share/doc/pagewright/copyright
share/icons/hicolor/scalable/apps/example.pagewright.Pagewright.svg
share/man/man1/pagewright-cli.1.gz
share/man/man1/pagewright.1.gz
share/pagewright/user-guide.html"
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
[ "$installed" = "$expected" ] || fail "installed files differ:"$'\n'"$installed"

# The desktop entry and the manual pages are valid.
desktop-file-validate "$prefix/share/applications/example.pagewright.Pagewright.desktop" ||
    fail "desktop-file-validate"
grep -qx 'Exec=pagewright -- %F' "$prefix/share/applications/example.pagewright.Pagewright.desktop" ||
    fail "the desktop entry does not pass files"
for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(gzip -dc "$page" | groff -t -man -ww -z -Tutf8 2>&1)
    [ -z "$warnings" ] || fail "$page: $warnings"
    gzip -dc "$page" | grep -q "Pagewright $version" || fail "$page does not name version $version"
done

# The user guide that Help opens: the README's sections on using Pagewright, its pictures inside.
guide=$prefix/share/pagewright/user-guide.html
grep -q '<h2 id="using-the-window">Using the window</h2>' "$guide" || fail "the guide lacks Using the window"
grep -q 'Building by hand' "$guide" && fail "the guide holds the README's building section"
grep -q '<img src="data:image/png;base64,' "$guide" || fail "the guide's pictures are not inside it"
grep -q '<img src="[^d]' "$guide" && fail "the guide names a picture outside it"

# The command-line tool, into a folder and to standard output.
[ "$("$prefix/bin/pagewright-cli" --version)" = "pagewright-cli $version" ] || fail "pagewright-cli --version"
mkdir "$work/out"
"$prefix/bin/pagewright-cli" -q -o "$work/out" "$sample" || fail "pagewright-cli did not convert"
name=$(basename "$sample" .pdf)
[ -s "$work/out/$name.txt" ] || fail "no text from pagewright-cli"
"$prefix/bin/pagewright-cli" -q -o - "$sample" | cmp - "$work/out/$name.txt" || fail "pagewright-cli -o -"

# The window: --version without a display, a bad option, then the window itself with the sample,
# offscreen, in a home of its own; it is up once it has made its output folder, and stays up.
[ "$("$prefix/bin/pagewright" --version)" = "pagewright $version" ] || fail "pagewright --version"
export QT_QPA_PLATFORM=offscreen HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir "$HOME"
status=0
"$prefix/bin/pagewright" --bogus 2>"$work/err" || status=$?
[ "$status" -eq 2 ] && grep -q "unknown option '--bogus'" "$work/err" || fail "pagewright --bogus gave $status"
"$prefix/bin/pagewright" "$sample" &
pid=$!
for _ in $(seq 600); do
    [ -d "$HOME/textharvest" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ -d "$HOME/textharvest" ] || fail "the window did not start"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the window ended by itself"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "installed and ran: $prefix"
