#!/usr/bin/env bash
# Figures of how the core names its codes. Usage: scripts/house-figures.sh [tree]
# (default: this checkout; give another checkout's root to measure it).
#
#  bare MCU codes at call sites: calls of SendMcuCommand and SendMcuText in
#    src/core whose command argument (the second of SendMcuCommand, the last
#    of SendMcuText) is not a McuCommand: a number literal, a cast, or a
#    variable of an integer type. Since both functions take a McuCommand, the
#    compiler refuses the last two; the grep counts arguments that name none
#    of McuCommand::, a variable whose name ends in "Command", item.command or
#    CallStateText(...).
#  call-state constant sets: files in src/core that define handset call-state
#    constants of their own: CALLSTATE_* or kCallState* constants, or the
#    enum HandsetCallState.
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

bare_mcu_codes() {
    # Join a statement's lines so calls broken over lines are seen whole.
    find src/core \( -name '*.cpp' -o -name '*.h' \) -print | sort | while read -r f; do
        awk '{ sub(/\/\/.*/, ""); line = line " " $0 }
             /[;{}][[:space:]]*$/ { print line; line = "" }' "$f"
    done | grep -oE '(^|[^A-Za-z])SendMcu(Command|Text)\(app[^;]*' |
        sed -E 's/^[^S]*//' |
        awk '
            function arg_of(s, which,   depth, i, c, n, cur, args) {
                # split the top-level arguments of the call
                depth = 0; n = 0; cur = ""
                s = substr(s, index(s, "(") + 1)
                for (i = 1; i <= length(s); i++) {
                    c = substr(s, i, 1)
                    if (c == "(") depth++
                    if (c == ")") { if (depth == 0) break; depth-- }
                    if (c == "," && depth == 0) { args[++n] = cur; cur = ""; continue }
                    cur = cur c
                }
                args[++n] = cur
                return which == "last" ? args[n] : args[2]
            }
            /^SendMcuCommand\(/ { a = arg_of($0, 2) }
            /^SendMcuText\(/    { a = arg_of($0, "last") }
            a !~ /McuCommand::|Command[[:space:]]*$|\.command|CallStateText\(/ { count++ }
            END { print count + 0 }'
}

call_state_sets() {
    grep -rlE '(constexpr|define)[^=]*\b(CALLSTATE_[A-Z]+|kCallState[A-Za-z]+)\b|enum class HandsetCallState' \
        src/core | wc -l
}

echo "bare MCU codes at call sites: $(bare_mcu_codes)"
echo "call-state constant sets: $(call_state_sets)"
