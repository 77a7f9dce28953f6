// The table of the scenario language's words: for each its grammar, where it
// may stand, its help text, and what it does. The parser, `--help`, the
// prompt's `help` and the runner all read this one table; a new word is one
// entry in words.cpp.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "sim/script.h"

namespace calvox::sim {

class Runner;
class World;

enum class Where { World, Step, Both, Start, Prompt };

enum class Form {
    Tokens,       // args split at blanks
    Text,         // TEXT: the rest of the line, or one quoted text
    CommandLine,  // the rest of the line as written
    Ini,          // [SECTION] KEY=VALUE
    IniKey,       // [SECTION] KEY
    Registry,     // KEY\VALUE = DATA
};

// Whether a parsed line's arguments are right; false with the reason.
using Check = bool (*)(const ScriptLine&, std::string&);
// What the word does, as a world line or a step; the reason it could not, or
// empty when it did.
using Act = std::string (*)(Runner&, const ScriptLine&);
// Why the word cannot run in the present state of the world (plugging a
// plugged handset); empty when it can. A script is checked as a whole by the
// parser; typed steps are checked with this.
using Refuse = std::string (*)(const World&, const ScriptLine&);

// A Tokens word without a check or keywords takes no arguments.
struct Word {
    std::string_view word;
    std::string_view args;  // as the command list writes them
    std::string_view help;
    Where where;
    Act act;  // none for the prompt's own words
    Form form = Form::Tokens;
    Check check = nullptr;
    std::string_view keywords = {};  // the one argument is one of these
    Refuse refuse = nullptr;
};

std::span<const Word> Words();
const Word* FindWord(std::string_view word);

}  // namespace calvox::sim
