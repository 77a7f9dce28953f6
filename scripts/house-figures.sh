#!/usr/bin/env bash
# Figures of how the core names its codes. Usage: scripts/house-figures.sh [tree]
# (default: this checkout; give another checkout's root to measure it).
#
#  bare MCU codes at call sites: calls of McuDisplay's Command and Text in
#    src/core (display_.Command, display.Text, ...; SendMcuCommand(app, ...)
#    and SendMcuText in older trees) whose command argument (the first of
#    Command, the second of SendMcuCommand, the last of a text) is not a
#    McuCommand: a number literal,
#    a cast, or a variable of an integer type. Since both take a McuCommand, the
#    compiler refuses the last two; the grep counts arguments that name none
#    of McuCommand::, a variable whose name ends in "Command", item.command or
#    CallStateText(...).
#  call-state constant sets: files in src/core that define handset call-state
#    constants of their own: CALLSTATE_* or kCallState* constants, or the
#    enum HandsetCallState.
#  functions taking App& / an Hwnd: function definitions in src/core (ctags)
#    whose parameters hold an App, or an Hwnd (outside the ports in platform/;
#    the Hwnd ones are listed, most name other programs' windows).
#  root-header includes: files that include a hub/ header outside hub/ and
#    the entry points (src/win32/main.cpp, src/sim/, tests/unit/hub/, bench/, fuzz/).
#  two-way folder pairs: pairs of folders of src/core that include each other.
#  longest core function: lines from signature to closing brace, src/core.
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

bare_mcu_codes() {
    # Join a statement's lines so calls broken over lines are seen whole.
    find src/core \( -name '*.cpp' -o -name '*.h' \) -print | sort | while read -r f; do
        awk '{ sub(/\/\/.*/, ""); line = line " " $0 }
             /[;{}][[:space:]]*$/ { print line; line = "" }' "$f"
    done | grep -oE '(^|[^A-Za-z_])(display_?\.(Command|Text)\(|SendMcu(Command|Text)\(app)[^;]*' |
        sed -E 's/^[^dS]*(display_?\.)?//' |
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
                return which == "last" ? args[n] : args[which]
            }
            /^Command\(/        { a = arg_of($0, 1) }
            /^SendMcuCommand\(/ { a = arg_of($0, 2) }
            /^(Text|SendMcuText)\(/ { a = arg_of($0, "last") }
            a !~ /McuCommand::|Command[[:space:]]*$|\.command|CallStateText\(/ { count++ }
            END { print count + 0 }'
}

call_state_sets() {
    grep -rlE '(constexpr|define)[^=]*\b(CALLSTATE_[A-Z]+|kCallState[A-Za-z]+)\b|enum class HandsetCallState' \
        src/core | wc -l
}

core_signatures() {
    ctags -R --c++-kinds=f --fields=+S -f - src/core 2>/dev/null |
        awk -F'\t' '{ for (i = 4; i <= NF; i++) if ($i ~ /^signature:/) print $2 "\t" $1 "\t" $i }'
}

root_header_includes() {
    grep -rlE '#include "(hub|app)/' src tests bench fuzz 2>/dev/null |
        grep -vcE '^src/core/hub/|^src/win32/main.cpp|^src/sim/|^tests/unit/hub/|^bench/|^fuzz/' || true
}

two_way_folder_pairs() {
    grep -rHoE '#include "[a-z_]+/[a-z_]+\.h"' src/core |
        sed -E 's|src/core/([a-z_]+)/[^:]*:#include "([a-z_]+)/.*|\1 \2|' | awk '$1 != $2' | sort -u |
        awk '{ e[$1 " " $2] = 1 } END { for (k in e) { split(k, f, " "); if (f[1] < f[2] && (f[2] " " f[1]) in e) n++ } print n + 0 }'
}

longest_core_function() {
    python3 - <<'PY'
import os, re
best = (0, "")
for dp, _, fs in os.walk("src/core"):
    for f in sorted(fs):
        if not f.endswith((".cpp", ".h")): continue
        p = os.path.join(dp, f)
        lines = open(p, encoding="latin-1").read().split("\n")
        stack = []
        for i, line in enumerate(lines):
            code = re.sub(r"//.*", "", re.sub(r'"(\\.|[^"\\])*"', '""', re.sub(r"'(\\.|[^'\\])*'", "''", line)))
            for ch in code:
                if ch == "{":
                    if re.match(r"\s*(namespace|extern)\b", code): kind = "ns"
                    elif re.match(r"\s*(class|struct|union|enum)\b", code) and not re.search(r"\)\s*(const)?\s*(override)?\s*\{", code): kind = "class"
                    else: kind = "fn" if all(k[0] in ("ns", "class") for k in stack) else "block"
                    j = i
                    if kind == "fn":
                        while j > 0 and not re.search(r"[;{}]\s*$|^\s*$|^\s*//|^\s*(public|private|protected):", re.sub(r"//.*", "", lines[j - 1])): j -= 1
                    stack.append((kind, j))
                elif ch == "}" and stack:
                    kind, j = stack.pop()
                    if kind == "fn" and i - j + 1 > best[0]: best = (i - j + 1, f"{p}:{j + 1}")
print(f"{best[0]} lines ({best[1]})")
PY
}

echo "bare MCU codes at call sites: $(bare_mcu_codes)"
echo "call-state constant sets: $(call_state_sets)"
if command -v ctags >/dev/null; then
    echo "core functions taking App&: $(core_signatures | grep -cE 'App ?&' || true)"
    echo "core functions taking an Hwnd (outside platform/): $(core_signatures | grep -v '^src/core/platform/' | grep -cE 'signature:\(.*Hwnd' || true)"
    core_signatures | grep -v '^src/core/platform/' | grep -E 'signature:\(.*Hwnd' | sed 's/^/    /'
fi
echo "root-header includes outside hub/ and the entry points: $(root_header_includes)"
echo "two-way folder pairs in the core: $(two_way_folder_pairs)"
echo "longest core function: $(longest_core_function)"
