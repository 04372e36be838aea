# Shared by run.sh and test.sh: installs what this machine lacks, and nothing else.
# Source it; it defines ensure_packages and ensure_locale.

APT_UPDATED=0

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "error: need root (or sudo) to run: $*" >&2
        return 1
    fi
}

is_installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

# ensure_packages PKG... : apt-get installs the packages that are missing.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        is_installed "$pkg" || missing+=("$pkg")
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    if ! command -v apt-get >/dev/null 2>&1; then
        echo "error: missing packages ${missing[*]} and no apt-get to install them" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    if [ "$APT_UPDATED" -eq 0 ]; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        APT_UPDATED=1
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# ensure_locale NAME (e.g. de_DE.UTF-8): compiles the locale when the system lacks it.
ensure_locale() {
    local name=$1
    local wanted
    wanted=$(echo "$name" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
    if locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$wanted"; then
        return 0
    fi
    ensure_packages locales
    as_root localedef -i "${name%%.*}" -f UTF-8 "$name" || echo "warning: could not generate locale $name" >&2
}

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config zlib1g-dev libdeflate-dev libbenchmark-dev qt6-base-dev qt6-svg-dev)
# What the window needs at run time on a desktop: the X11/Wayland platform plugins and a font.
GUI_RUNTIME_PACKAGES=(qt6-qpa-plugins qt6-wayland fonts-dejavu-core xdg-utils)
