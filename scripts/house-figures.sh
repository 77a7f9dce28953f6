#!/usr/bin/env bash
# Figures of how the code base is laid out: what each function is handed, how
# the core's folders depend on each other, how long functions and files grow.
# Usage: scripts/house-figures.sh [tree]   (default: this checkout; give another
# checkout's root to measure it). Needs universal-ctags.
#
#  functions taking App&: function definitions and declarations in src/core
#    (ctags kind f) with an App& parameter.
#  functions taking a window handle: those with an Hwnd parameter; "the hub's
#    own" are the ones whose Hwnd parameter is named hub, hubWindow, owner or
#    window (the names the hub's handle went by); the others are windows of
#    the client or the companion.
#  files including the root header: files that include hub/app.h (app/app.h
#    before the folders were named by component) other than hub/ itself, its
#    tests and the two entry points that build the program (src/win32/main.cpp,
#    src/sim/runner.cpp).
#  two-way folder pairs: pairs of folders of src/core where a file of each
#    includes a header of the other.
#  bare MCU codes at call sites: calls of the display's Command and Text
#    (SendMcuCommand and SendMcuText in older trees) in src/core none of whose
#    arguments names McuCommand, a variable whose name ends in "command",
#    item.command or CallStateText(...); all of them take a McuCommand, so the
#    compiler refuses the rest.
#  call-state constant sets: files in src/core that define handset call-state
#    constants of their own (CALLSTATE_*, kCallState*, enum HandsetCallState).
#  longest function: lines from a function's first line to its last (ctags'
#    line and end), in src/core and in all of src/.
#  files over 600 lines: sources (.h, .cpp) under src/.
#  ports of the largest simulator class: classes in src/sim by the number of
#    *Port interfaces they derive from.
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

tags() {  # functions under $1: name file line end signature
    ctags --c++-kinds=f --fields=+nSe --languages=C++ -R -o - "$1" 2>/dev/null |
        awk -F'\t' '{ line = end = sig = ""
                      for (i = 4; i <= NF; i++) {
                          if ($i ~ /^line:/) line = substr($i, 6)
                          if ($i ~ /^end:/) end = substr($i, 5)
                          if ($i ~ /^signature:/) sig = substr($i, 11)
                      }
                      print $1 "\t" $2 "\t" line "\t" end "\t" sig }'
}

core_tags=$(tags src/core)
app_functions=$(printf '%s\n' "$core_tags" | awk -F'\t' '$5 ~ /App ?&/' | wc -l)
hwnd_functions=$(printf '%s\n' "$core_tags" | awk -F'\t' '$5 ~ /Hwnd/' | wc -l)
hub_window_functions=$(printf '%s\n' "$core_tags" |
    awk -F'\t' '$5 ~ /Hwnd (hub|hubWindow|owner|window)[,)]/' | wc -l)

root_includes=$(grep -rlE '#include "(hub|app)/app\.h"' src tests fuzz bench 2>/dev/null |
    grep -vE '^src/core/(hub|app)/|^src/win32/main\.cpp$|^src/sim/runner\.cpp$|^tests/unit/(hub|app)/' |
    wc -l || true)

folder_pairs() {
    local f from to
    for f in $(find src/core \( -name '*.h' -o -name '*.cpp' \)); do
        from=$(echo "$f" | cut -d/ -f3)
        grep -oE '#include "[a-z_]+/' "$f" | sed -E 's/#include "([a-z_]+)\//\1/' |
            while read -r to; do
                [ "$to" != "$from" ] && [ -d "src/core/$to" ] && echo "$from $to"
            done
    done | sort -u | awk '{ e[$1 " " $2] = 1 }
        END { for (k in e) { split(k, p, " "); if (p[1] < p[2] && (p[2] " " p[1]) in e) n++ }
              print n + 0 }'
}

bare_mcu_codes() {
    # Join a statement's lines so calls broken over lines are seen whole.
    find src/core \( -name '*.cpp' -o -name '*.h' \) -print | sort | while read -r f; do
        awk '{ sub(/\/\/.*/, ""); line = line " " $0 }
             /[;{}][[:space:]]*$/ { print line; line = "" }' "$f"
    done | grep -oE '(display_?\.(Command|Text)|SendMcu(Command|Text))\([^;]*' |
        awk '
            # A call passes a named code when one of its top-level arguments
            # names one; a declaration names the McuCommand type.
            { depth = 0; cur = ""; named = 0
              s = substr($0, index($0, "(") + 1)
              for (i = 1; i <= length(s) + 1; i++) {
                  c = i <= length(s) ? substr(s, i, 1) : ")"
                  if (c == "(") depth++
                  if (c == ")" && depth-- == 0) c = ","
                  if (c == "," && depth <= 0) {
                      if (cur ~ /McuCommand|[Cc]ommand[[:space:]]*$|\.command|CallStateText\(/) named = 1
                      cur = ""
                      if (depth < 0) break
                      continue
                  }
                  cur = cur c
              }
              if (!named) count++ }
            END { print count + 0 }'
}

call_state_sets() {
    grep -rlE '(constexpr|define)[^=]*\b(CALLSTATE_[A-Z]+|kCallState[A-Za-z]+)\b|enum class HandsetCallState' \
        src/core | wc -l
}

longest() {  # tags -> "N lines: name (file)"
    awk -F'\t' '$3 != "" && $4 != "" { n = $4 - $3 + 1; if (n > max) { max = n; what = $1 " (" $2 ")" } }
                END { print max + 0 " lines: " what }'
}

large_files=$(find src \( -name '*.h' -o -name '*.cpp' \) -exec wc -l {} + |
    awk '$2 != "total" && $1 > 600 { n++; list = list " " $2 "(" $1 ")" } END { print n + 0 list }')

sim_ports=$(find src/sim -name '*.h' -print0 | xargs -0 awk '
    /^(class|struct) [A-Za-z]+[^;]*:/ { decl = ""; inside = 1 }
    inside { decl = decl " " $0 }
    inside && /\{/ { inside = 0
        split(decl, w, /[^A-Za-z]+/); name = w[3]; n = 0
        m = decl; while (match(m, /public [A-Za-z]+Port[ ,{]/)) { n++; m = substr(m, RSTART + RLENGTH) }
        if (n > max) { max = n; who = name } }
    END { print max + 0 " (" who ")" }')

echo "core functions taking App&: $app_functions"
echo "core functions taking a window handle: $hwnd_functions, the hub's own: $hub_window_functions"
echo "files outside hub/ and the entry points including the root header: $root_includes"
echo "two-way folder pairs in the core: $(folder_pairs)"
echo "bare MCU codes at call sites: $(bare_mcu_codes)"
echo "call-state constant sets: $(call_state_sets)"
echo "longest core function: $(printf '%s\n' "$core_tags" | longest)"
echo "longest function in src: $(tags src | longest)"
echo "files over 600 lines: $large_files"
echo "ports of the largest simulator class: $sim_ports"
