// Scenario scripts as people write them: parsed whole, and each line again
// as the interactive prompt takes it.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "sim/script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source(reinterpret_cast<const char*>(data), size);
    calvox::sim::Script script;
    calvox::sim::ParseError error;
    calvox::sim::ParseScript(source, script, error);
    std::istringstream lines(source);
    int lineNo = 0;
    bool beforeStart = true;
    for (std::string line; std::getline(lines, line);) {
        ++lineNo;
        calvox::sim::ScriptLine parsed;
        calvox::sim::Expect expect;
        if (line.rfind("expect", 0) == 0) {
            if (calvox::sim::ParseExpect(line, lineNo, expect, error))
                calvox::sim::MatchExpect(expect, line.substr(std::min<std::size_t>(7, line.size())),
                                         0);
        } else if (calvox::sim::ParseLine(line, lineNo, beforeStart, parsed, error) &&
                   parsed.word == "start") {
            beforeStart = false;
        }
    }
    return 0;
}
