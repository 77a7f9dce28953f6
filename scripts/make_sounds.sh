#!/bin/sh
# Makes the answering machine's spoken prompts (8 kHz mono 16-bit PCM, beside
# Calvox.exe) and the built-in ring (WAVE resource 133) from text and tones.
# The results are committed; run this only to change them. Needs espeak-ng and sox.
set -eu
out="$(cd "$(dirname "$0")/.." && pwd)/src/win32/resources/sounds"
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

prompt() {
    espeak-ng -v en-us -s 150 -w "$tmp/$1" "$2"
    sox "$tmp/$1" -r 8000 -c 1 -b 16 -e signed-integer "$out/$1" norm -3
}
prompt AMSelGreeting.wav "Press 1 to leave a message. Press 2 for remote access."
prompt AMSelFailed.wav "No choice received. Goodbye."
prompt AMPswdGreeting.wav "Please enter your four digit PIN."
prompt AMPswdRetrying.wav "Wrong PIN. Please try again."
prompt AMPswdFailed.wav "Wrong PIN. Goodbye."
prompt AMPswdPass.wav "PIN accepted."

# Two bursts of a two-tone ring, then a pause: about two seconds, stereo.
# 8 kHz is plenty for two tones below 500 Hz and keeps Calvox.exe small.
sox -n -r 8000 -c 1 -b 16 "$tmp/burst.wav" synth 0.4 sine 440 sine 480 remix 1,2 vol 0.4 fade 0.01 0.4 0.01
sox "$tmp/burst.wav" "$tmp/ring1.wav" pad 0 0.2 repeat 1
sox "$tmp/ring1.wav" -r 8000 -c 2 -b 16 -e signed-integer "$out/ring.wav" pad 0 0.8 trim 0 1.9875
