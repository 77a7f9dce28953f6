#!/bin/sh
# The CMAKE_CROSSCOMPILING_EMULATOR of the Windows build: runs one Windows
# program in the Wine prefix and display that run-wine-tests.sh prepared.
if [ -z "$WINEPREFIX" ] || [ -z "$DISPLAY" ]; then
    echo "run-in-wine.sh: WINEPREFIX and DISPLAY are unset; run tests/wine/run-wine-tests.sh" >&2
    exit 2
fi
exec timeout -k 5 120 wine "$@"
