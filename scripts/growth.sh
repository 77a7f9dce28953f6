#!/usr/bin/env bash
# How the work of filling the contact list and replaying the call history
# grows when the count doubles, in instructions counted by callgrind (exact
# and repeatable, unlike times on a shared machine). Prints each benchmark's
# instructions at N and 2N and their ratio: 2.0 is linear growth.
# Usage: scripts/growth.sh [build dir, default build/native]
set -euo pipefail
cd "$(dirname "$0")/.."
bench=${1:-build/native}/calvox_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

instructions() {
    # One iteration: under callgrind a single run outlasts the minimum time.
    valgrind --tool=callgrind --callgrind-out-file="$work/out" \
        --toggle-collect='*BM_*' "$bench" --benchmark_filter="$1\$" \
        --benchmark_min_time=0.000001 >/dev/null 2>"$work/log"
    grep -o 'Collected : [0-9]*' "$work/log" | grep -o '[0-9]*$'
}

printf '%-40s %14s %14s %6s\n' benchmark N 2N ratio
for case in 'FillContactList/contacts:%s/shuffled:0' 'FillContactList/contacts:%s/shuffled:1' \
    'CallHistoryReplay/calls:%s/order:0' 'CallHistoryReplay/calls:%s/order:1' \
    'CallHistoryReplay/calls:%s/order:2'; do
    small=$(instructions "BM_$(printf "$case" 10000)")
    large=$(instructions "BM_$(printf "$case" 20000)")
    printf '%-40s %14s %14s %6.2f\n' "$(printf "$case" N)" "$small" "$large" \
        "$(echo "$large / $small" | bc -l)"
done
