#!/usr/bin/env bash
# Builds a benchmark corpus: the PDF manuals that Debian's documentation packages ship, fetched
# with apt-get download and unpacked with dpkg -x, gathered flat into one folder outside the
# repository. Running it again reuses what is there.
#
# Usage: bench/corpus.sh [--other] [DIR]
#   (default)  the TeX corpus: manuals of two texlive documentation packages, all made by TeX
#              engines; DIR defaults to ${XDG_CACHE_HOME:-$HOME/.cache}/pagewright-bench/corpus.
#   --other    the corpus of other producers: Ghostscript (LilyPond's manuals, TeX Gyre), Apache
#              FOP (Erlang/OTP, X.Org), cairo, LibreOffice, Acrobat Distiller, Microsoft Print to
#              PDF, ReportLab and Prawn; DIR defaults to .../pagewright-bench/corpus-other.
#   --large    one PDF of at least 80 MB: the largest manuals of the TeX corpus (made first when it is
#              missing) written one after the other into one file (the engine does not read the PDF's
#              structure, so it converts them all); DIR defaults to .../pagewright-bench/large.
#   PAGEWRIGHT_BENCH_PACKAGES overrides the package list (space-separated).
# Prints the corpus folder on its last line.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/setup.sh"

cache=${XDG_CACHE_HOME:-$HOME/.cache}/pagewright-bench
default_packages="texlive-pictures-doc texlive-science-doc"
corpus_name=corpus
if [ "${1:-}" = "--large" ]; then
    shift
    large=${1:-$cache/large}
    tex=$("$0" | tail -n1)
    mkdir -p "$large"
    if [ ! -f "$large/large.pdf" ]; then
        mapfile -t largest < <(find "$tex" -maxdepth 1 -name '*.pdf' -printf '%s %p\n' | sort -rn | cut -d' ' -f2-)
        rm -f "$large/large.pdf.part"
        for pdf in "${largest[@]}"; do
            cat "$pdf" >>"$large/large.pdf.part"
            [ "$(stat -c %s "$large/large.pdf.part")" -lt 80000000 ] || break
        done
        mv "$large/large.pdf.part" "$large/large.pdf"
    fi
    echo "large PDF ready: $(du -h --apparent-size "$large/large.pdf" | cut -f1) in $large" >&2
    echo "$large"
    exit 0
fi
if [ "${1:-}" = "--other" ]; then
    shift
    corpus_name=corpus-other
    default_packages="lilypond-doc-pdf erlang-doc xorg-docs debian-handbook fonts-texgyre
        python-reportlab-doc ruby-prawn-doc fonts-sil-andika fonts-sil-charis fonts-sil-doulos
        fonts-sil-gentiumplus fonts-sil-abyssinica fonts-sil-padauk fonts-sil-scheherazade
        fonts-sil-akatab fonts-sil-alkalami fonts-sil-annapurna fonts-sil-awami-nastaliq
        fonts-sil-dai-banna fonts-sil-ezra fonts-sil-harmattan fonts-sil-mingzat fonts-sil-mondulkiri
        fonts-sil-shimenkan fonts-sil-tagmukay fonts-sil-taiheritagepro"
fi
corpus=${1:-$cache/$corpus_name}
read -r -a packages <<<"$(echo ${PAGEWRIGHT_BENCH_PACKAGES:-$default_packages})"
work=$(dirname "$corpus")/debs
stamp="$corpus/.complete"
wanted="${packages[*]}"

case "$(cd "$here/.." && pwd)/" in
"$(mkdir -p "$corpus" && cd "$corpus" && pwd)/"*)
    echo "error: the corpus must live outside the repository" >&2
    exit 2
    ;;
esac

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
    echo "corpus up to date: $(find "$corpus" -name '*.pdf' | wc -l) PDFs" >&2
    echo "$corpus"
    exit 0
fi

# Only a folder this script made is ever emptied.
if [ ! -f "$stamp" ] && [ -n "$(ls -A "$corpus")" ]; then
    echo "error: $corpus is not empty and was not made by this script" >&2
    exit 2
fi

mkdir -p "$work"
if [ "$APT_UPDATED" -eq 0 ] && ! apt-cache show "${packages[0]}" >/dev/null 2>&1; then
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
fi

for pkg in "${packages[@]}"; do
    if ! compgen -G "$work/${pkg}_*.deb" >/dev/null; then
        echo "downloading $pkg" >&2
        (cd "$work" && apt-get download -q "$pkg" >&2)
    fi
    unpacked="$work/$pkg"
    if [ ! -d "$unpacked" ]; then
        echo "unpacking $pkg" >&2
        rm -rf "$unpacked.part"
        dpkg -x "$(compgen -G "$work/${pkg}_*.deb" | head -n1)" "$unpacked.part"
        mv "$unpacked.part" "$unpacked"
    fi
done

# Flat and with unique base names, so that every PDF gets its own text file. Some manuals ship
# compressed (.pdf.gz); those are unpacked too.
find "$corpus" -maxdepth 1 -type f -name '*.pdf' -delete
echo "incomplete" >"$stamp"
for pkg in "${packages[@]}"; do
    find "$work/$pkg" -type f \( -name '*.pdf' -o -name '*.pdf.gz' \) -print0 |
        while IFS= read -r -d '' file; do
            rel=${file#"$work/$pkg/"}
            rel=${rel#usr/share/doc/}
            name=$(printf '%s' "$rel" | tr '/ ' '__')
            case "$name" in
            *.gz) gzip -dc "$file" >"$corpus/${name%.gz}" ;;
            *) ln "$file" "$corpus/$name" 2>/dev/null || cp "$file" "$corpus/$name" ;;
            esac
        done
done
echo "$wanted" >"$stamp"
count=$(find "$corpus" -name '*.pdf' | wc -l)
size=$(du -sh --apparent-size "$corpus" | cut -f1)
echo "corpus ready: $count PDFs, $size in $corpus" >&2
echo "$corpus"
