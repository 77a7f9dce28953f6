// The command list (--help, `help`) and the help of one word (`help WORD`),
// made from the table of words.
#include <algorithm>
#include <initializer_list>

#include "config/key_table.h"
#include "sim/script.h"
#include "sim/words.h"

namespace calvox::sim {
namespace {

constexpr const char* kHelpHead = R"(calvox-sim: the Calvox program on a virtual Windows

  calvox-sim FILE.scn          run a scenario and print its trace
                               (exit 0: every expect held; 1: one did not; 2: malformed script)
  calvox-sim --story FILE.scn  the same told as a story: the client's notifications, your
                               key presses and what Calvox does, the handset's display drawn
  calvox-sim                   interactive: type world lines, then `start`, then steps
  calvox-sim --help            this text
)";

constexpr const char* kHelpTail = R"(After a step:
  expect [@MS] CHANNEL ...    expect none CHANNEL
Limits: a `file ... wav` holds at most 64 MiB of sound; a PATH, made absolute, at
  most 259 characters. Longer asks are malformed lines (exit 2).
Channels besides the contract's:
  log TEXT    a line of the program's diagnostic log ([DIAGNOSTICS] LOG=1)
)";

std::string CommandLine(const Word& c) {
    std::string usage = std::string(c.word);
    if (!c.args.empty()) usage += " " + std::string(c.args);
    return usage;
}

}  // namespace

std::string CommandList() {
    std::string out = kHelpHead;
    const auto section = [&out](const char* title, std::initializer_list<Where> where) {
        out += title;
        for (const Word& c : Words()) {
            if (std::find(where.begin(), where.end(), c.where) == where.end()) continue;
            const std::string usage = CommandLine(c);
            std::string help(c.help.substr(0, c.help.find(". ")));
            out += "  " + usage;
            out += usage.size() < 30 ? std::string(30 - usage.size(), ' ')
                                     : "\n" + std::string(32, ' ');
            out += help + "\n";
        }
    };
    section("\nWorld lines (before start):\n", {Where::World, Where::Both});
    section("Steps:\n", {Where::Start, Where::Step, Where::Both});
    section("At the prompt (also: help WORD):\n", {Where::Prompt});
    return out + kHelpTail;
}

std::string CommandHelp(const std::string& word) {
    const Word* c = FindWord(word);
    if (c == nullptr) return {};
    const char* where = c->where == Where::World    ? "a world line (before start)"
                        : c->where == Where::Both   ? "a world line or a step"
                        : c->where == Where::Prompt ? "at the interactive prompt"
                                                    : "a step";
    std::string text = std::string(c->help) + " (" + where + ")";
    if (c->word == "press") {
        text += ". FUNCTION is one of:";
        for (int code = 0; !KeyFunctionName(code).empty(); ++code)
            text += (code == 0 ? " " : ", ") + KeyFunctionName(code);
    }
    // Wrapped at blanks to fit a terminal.
    std::string out = "  " + CommandLine(*c) + "\n   ";
    std::size_t column = 3;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find(' ', begin);
        if (end == std::string::npos) end = text.size();
        if (column + 1 + (end - begin) > 90) {
            out += "\n   ";
            column = 3;
        }
        out += " " + text.substr(begin, end - begin);
        column += 1 + end - begin;
        begin = end + 1;
    }
    return out + "\n";
}

}  // namespace calvox::sim
