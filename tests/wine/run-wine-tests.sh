#!/bin/bash
# Runs the Wine tests of a Windows build: usage run-wine-tests.sh BUILD_DIR
# (e.g. build/windows) [COMMAND...]; with a COMMAND, runs it instead of the
# tests in the same prepared prefix and display. A fresh Wine prefix and a private Xvfb display per run;
# both are stopped at the end whatever happens. Exits non-zero on any failure.
set -u

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 BUILD_DIR [COMMAND...]" >&2
    exit 2
fi
BUILD_DIR=$(cd "$1" && pwd)
shift

export WINEPREFIX="$BUILD_DIR/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installers during wineboot.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
# Code page 1252 for the text conversion tests.
export LC_ALL=C.UTF-8
unset WINELOADER
# A home of the run's own whose ALSA default device is the null device, so
# Wine shows its mixers (one per direction) without a sound card.
export HOME="$BUILD_DIR/wine-home"
mkdir -p "$HOME"
echo 'pcm.!default { type null }' >"$HOME/.asoundrc"

XVFB_PID=
XVFB_LOG="$BUILD_DIR/xvfb.log"

cleanup() {
    timeout 20 wineserver -k >/dev/null 2>&1
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(date +%s)

# A server of this prefix left from an earlier run (perhaps without a display)
# would serve the new one.
timeout 20 wineserver -k >/dev/null 2>&1

# Xvfb picks a free display number and writes it to fd 3 once it is ready.
DISPLAY_FILE="$BUILD_DIR/xvfb.display"
rm -f "$DISPLAY_FILE"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$DISPLAY_FILE" >"$XVFB_LOG" 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
    [ -s "$DISPLAY_FILE" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$DISPLAY_FILE" ]; then
    echo "Xvfb did not start:" >&2
    cat "$XVFB_LOG" >&2
    exit 1
fi
export DISPLAY=":$(tr -d '[:space:]' <"$DISPLAY_FILE")"

# The template prefix of this run. The settings are read when a process of
# the session starts, so the session ends (wineserver -w) before the tests.
rm -rf "$WINEPREFIX"
prepared=0
timeout 120 wine wineboot -i >/dev/null 2>&1 &&
    timeout 30 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 &&
    timeout 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null 2>&1 &&
    timeout 60 wineserver -w && prepared=1
if [ $prepared -ne 1 ]; then
    echo "the Wine prefix could not be prepared" >&2
    exit 1
fi
# A warm session for the many short-lived processes of the tests. Its
# helper processes start with the first program and keep the output they
# inherit open: that must not be a pipe that ctest waits on.
wineserver -p 60
timeout 60 wine reg query 'HKCU\Software\Wine\X11 Driver' >/dev/null 2>&1

echo "Wine prefix ready on display $DISPLAY after $(($(date +%s) - started)) s"
if [ $# -gt 0 ]; then
    "$@"
    exit $?
fi
ctest --test-dir "$BUILD_DIR" -j1 --output-on-failure --timeout 120
status=$?
echo "Wine tests: $(($(date +%s) - started)) s in all, ctest status $status"
exit $status
