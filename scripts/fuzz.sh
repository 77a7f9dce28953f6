#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset), seeds each from the
# scenarios (the WAVE reader from short WAVE files made with sox) and runs
# them one after the other.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     each target for SECONDS (default 20)
#   FUZZ_RUNS=N scripts/fuzz.sh 0 [TARGET...] each target for N executions
#   FUZZ_JOBS=2 ...                           two targets at a time
# Inputs are kept short enough that each execution stays cheap: a few dozen
# reports, notifications or settings lines already reach every state.
# Prints one line per target: executions, their rate, coverage (edges) and
# features.
# Findings (crash-*, leak-*, timeout-*) are left in build/fuzz/findings/. The time-out is
# generous: on a loaded machine a 20 ms input can wait seconds for a core.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

out=build/fuzz
seeds() {  # target -> seed files in $out/seeds/target
    local target=$1 dir=$out/seeds/$1
    rm -rf "$dir" && mkdir -p "$dir"
    if [ "$target" = riff_wave_fuzz ]; then  # WAVE files of a few hundred bytes
        local wav
        for wav in src/win32/resources/sounds/*.wav; do
            sox "$wav" "$dir/$(basename "$wav" .wav)-20ms.wav" trim 0 0.02
            head -c 300 "$wav" >"$dir/$(basename "$wav" .wav)-cut"  # a data chunk past the end
        done
        sox -n -r 8000 -c 1 -b 8 "$dir/u8.wav" synth 0.01 sine 440
        sox -n -r 44100 -c 2 -b 16 "$dir/s16-stereo.wav" synth 0.002 sine 440
        sox -n -r 48000 -c 6 -b 24 "$dir/s24-6ch.wav" synth 0.001 sine 440
        sox -n -r 16000 -c 1 -e floating-point -b 32 "$dir/float.wav" synth 0.005 sine 440
        return
    fi
    local scn
    for scn in tests/scenarios/*.scn demo/story.scn; do
        local name
        name=$(basename "$scn" .scn)
        case $target in
            notification_fuzz)  # what the client sends in each scenario
                sed -n 's/^skype //p' "$scn" >"$dir/$name" ;;
            report_decoder_fuzz)  # the handset's reports, behind each mode byte
                for mode in 00 01 02 03 04 05 06 0e 1a 5c; do
                    { printf "\\x$mode"; sed -n 's/^report //p' "$scn" |
                        while read -r a b c d _; do printf "\\x${a#0x}\\x${b#0x}\\x${c#0x}\\x${d#0x}"; done
                    } >"$dir/$name-$mode"
                done ;;
            settings_fuzz)  # the settings each scenario writes, as INI text
                sed -n 's/^ini\(-set\)\? \[\([^]]*\)\] \(.*\)/[\2]\n\3/p' "$scn" >"$dir/$name" ;;
            scenario_parser_fuzz)
                cp "$scn" "$dir/$name" ;;
        esac
        [ -s "$dir/$name" ] || rm -f "$dir/$name"
    done
    find "$dir" -type f -empty -delete
}

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(notification_fuzz report_decoder_fuzz settings_fuzz scenario_parser_fuzz riff_wave_fuzz)
mkdir -p "$out/findings"
# ASan keeps no allocation stacks and a small quarantine: a run then spends its
# time in the program rather than in the allocator. Reproduce a finding with
# the default options: build/fuzz/TARGET FILE.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=16}

fuzz_one() {  # target -> one line of figures; non-zero on a finding
    local target=$1 corpus=$out/corpus/$1 log=$out/$1.log max_len limit start took
    mkdir -p "$corpus"
    case $target in
        report_decoder_fuzz) max_len=256 ;;
        riff_wave_fuzz) max_len=2048 ;;
        scenario_parser_fuzz) max_len=2048 ;;
        *) max_len=1024 ;;
    esac
    limit=(-max_total_time="$seconds")
    [ -z "${FUZZ_RUNS:-}" ] || limit=(-runs="$FUZZ_RUNS")
    start=$(date +%s)
    if ! "$out/$target" "${limit[@]}" -max_len=$max_len -timeout=25 -rss_limit_mb=2048 -detect_leaks=1 \
            -print_final_stats=1 -artifact_prefix="$out/findings/$target-" \
            "$corpus" "$out/seeds/$target" >"$log" 2>&1; then
        echo "$target: FAILED, see $log"
        return 1
    fi
    took=$(( $(date +%s) - start ))
    local runs cov ft
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1)
    echo "$target: $runs executions in ${took} s ($(( runs / (took > 0 ? took : 1) )) per second)," \
        "$cov edges, $ft, no crash, leak or time-out"
}

# FUZZ_JOBS=N runs N targets at a time (one per core), each on its own.
jobs=${FUZZ_JOBS:-1}
status=0
running=0
for target in "${targets[@]}"; do
    seeds "$target"
    if [ "$jobs" -le 1 ]; then
        fuzz_one "$target" || status=1
        continue
    fi
    fuzz_one "$target" >"$out/$target.figures" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
done
while [ "$running" -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
if [ "$jobs" -gt 1 ]; then
    for target in "${targets[@]}"; do cat "$out/$target.figures"; done
fi
exit $status
