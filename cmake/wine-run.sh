#!/bin/sh
# Runs a Windows program of the cross build under Wine, quietly and without a display: the
# emulator that ctest and test discovery use. The Wine prefix lives in the build tree, so a run
# never depends on (or changes) the user's own.
: "${WINEPREFIX:=${PAGEWRIGHT_WINEPREFIX:-$HOME/.wine}}"
export WINEPREFIX
export WINEDEBUG=-all
export DISPLAY=
for wine in /usr/lib/wine/wine64 wine64 wine; do
    if command -v "$wine" >/dev/null 2>&1; then
        exec "$wine" "$@"
    fi
done
echo "wine-run.sh: no wine64 found (apt-get install wine64)" >&2
exit 127
