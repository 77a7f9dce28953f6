#!/bin/sh
# Runs one Windows program in a copy of the prefix that run-wine-tests.sh
# prepared, with a wineserver of its own, and removes the copy afterwards:
# a device installed there (its driver stays loaded, its HID device stays
# listed after removal) never reaches the other tests.
if [ -z "$WINEPREFIX" ] || [ -z "$DISPLAY" ]; then
    echo "run-in-own-prefix.sh: WINEPREFIX and DISPLAY are unset; run tests/wine/run-wine-tests.sh" >&2
    exit 2
fi
copy=$(mktemp -d "$WINEPREFIX-copy.XXXXXX") || exit 2
trap 'WINEPREFIX="$copy" timeout 20 wineserver -k >/dev/null 2>&1; rm -rf "$copy"' EXIT
cp -a "$WINEPREFIX/." "$copy/" || exit 2
export WINEPREFIX="$copy"
timeout -k 5 170 wine "$@"
