// calvox-sim: runs the program against a virtual Windows.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include <unistd.h>

#ifdef CALVOX_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

#include "sim/script.h"
#include "sim/simulation.h"
#include "sim/story.h"

using namespace calvox::sim;

namespace {

// Lines typed at the prompt: with line editing and history on a terminal,
// else read as they come.
class LineReader {
public:
    LineReader() : terminal_(isatty(STDIN_FILENO) != 0) {}
    bool Read(const std::string& prompt, std::string& line) {
#ifdef CALVOX_HAVE_LIBEDIT
        if (terminal_) {
            std::cout << std::flush;
            char* typed = readline(prompt.c_str());
            if (typed == nullptr) return false;
            line = typed;
            std::free(typed);
            if (!IsBlankOrComment(line)) add_history(line.c_str());
            return true;
        }
#endif
        std::cout << prompt << std::flush;
        return static_cast<bool>(std::getline(std::cin, line));
    }

private:
    bool terminal_;
};

// The words of the prompt itself: `help [WORD]` and `quit`. True when the
// line was one of them.
bool PromptWord(const std::string& text, bool& quit) {
    std::istringstream words(text);
    std::string word, topic, extra;
    words >> word >> topic >> extra;
    if (word == "quit" && topic.empty()) {
        quit = true;
        return true;
    }
    if (word != "help" || !extra.empty()) return false;
    if (topic.empty()) {
        std::cout << CommandList();
    } else if (std::string help = CommandHelp(topic); !help.empty()) {
        std::cout << help;
    } else {
        std::cout << "  ? no word '" << topic << "' (help lists them)\n";
    }
    return true;
}

class TypedSteps : public StepSource {
public:
    TypedSteps(LineReader& reader, int& lineNo, std::optional<Step> first, const Simulation& sim)
        : reader_(reader), lineNo_(lineNo), first_(std::move(first)), sim_(sim) {}
    bool Next(Step& step) override {
        if (first_) {
            step = *first_;
            first_.reset();
            return true;
        }
        std::string text;
        while (reader_.Read(Prompt(), text)) {
            ++lineNo_;
            if (IsBlankOrComment(text)) continue;
            bool quit = false;
            if (PromptWord(text, quit)) {
                if (quit) return false;
                continue;
            }
            ParseError error;
            if (!ParseLine(text, lineNo_, false, step.line, error)) {
                std::cout << "  ? " << error.reason << '\n';
                continue;
            }
            if (std::string why = sim_.Refusal(step.line); !why.empty()) {
                std::cout << "  ? " << why << '\n';
                continue;
            }
            step.expects.clear();
            return true;
        }
        return false;
    }

private:
    std::string Prompt() {
        // The handset's display and LEDs, whenever they changed.
        if (std::string picture = sim_.HandsetPicture(); picture != lastPicture_) {
            std::cout << picture;
            lastPicture_ = picture;
        }
        if (!sim_.ProgramEnded()) return "sim> ";
        if (!toldEnded_) {
            std::cout << "  The program has ended: steps do nothing now. `quit` leaves.\n";
            toldEnded_ = true;
        }
        return "ended> ";
    }
    LineReader& reader_;
    int& lineNo_;
    std::optional<Step> first_;
    const Simulation& sim_;
    std::string lastPicture_;
    bool toldEnded_ = false;
};

int Interactive() {
    std::cout << "calvox-sim interactive: world lines, then `start`, then steps. "
                 "`help` lists the words, `help WORD` tells one, `quit` leaves.\n";
    LineReader reader;
    std::vector<ScriptLine> world;
    int lineNo = 0;
    std::string text;
    std::optional<Step> start;
    while (reader.Read("world> ", text)) {
        ++lineNo;
        if (IsBlankOrComment(text)) continue;
        bool quit = false;
        if (PromptWord(text, quit)) {
            if (quit) return 0;
            continue;
        }
        ScriptLine line;
        ParseError error;
        if (!ParseLine(text, lineNo, true, line, error)) {
            std::cout << "  ? " << error.reason << '\n';
            continue;
        }
        if (line.word == "start") {
            start = Step{line, {}};
            break;
        }
        world.push_back(line);
    }
    if (!start) return 0;
    Simulation sim(std::cout, std::cout);
    ParseError error;
    if (!sim.ApplyWorld(world, error)) {
        std::cout << "line " << error.lineNo << ": " << error.reason << '\n';
        return 2;
    }
    sim.ForgiveStepErrors();
    sim.SetMenuChooser([&reader](const std::vector<Simulation::MenuItem>& items) -> unsigned {
        for (std::size_t i = 0; i < items.size(); ++i)
            std::cout << "  " << i + 1 << ") " << items[i].text << '\n';
        std::string answer;
        if (!reader.Read("choose 1-" + std::to_string(items.size()) + " (anything else: none)> ",
                         answer))
            return 0;
        const std::size_t n = std::strtoul(answer.c_str(), nullptr, 10);
        return n >= 1 && n <= items.size() ? items[n - 1].id : 0;
    });
    TypedSteps steps(reader, lineNo, start, sim);
    int rc = sim.Run(steps);
    std::cout << '\n';
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc >= 2 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::cout << CommandList();
        return 0;
    }
    if (argc < 2) return Interactive();
    const bool story = first == "--story";
    if (story && argc != 3) {
        std::cerr << "calvox-sim: --story takes one scenario file\n";
        return 2;
    }
    const char* path = argv[story ? 2 : 1];

    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cerr << "calvox-sim: cannot read " << path << '\n';
        return 2;
    }
    std::stringstream source;
    source << file.rdbuf();

    Script script;
    ParseError error;
    if (!ParseScript(source.str(), script, error)) {
        std::cerr << "calvox-sim: line " << error.lineNo << ": " << error.reason << '\n';
        return 2;
    }

    Simulation sim(std::cout, std::cerr);
    if (!sim.ApplyWorld(script.world, error)) {
        std::cerr << "calvox-sim: line " << error.lineNo << ": " << error.reason << '\n';
        return 2;
    }
    Story teller(std::cout);
    if (story) sim.SetPresenter(teller);
    ScriptSteps steps(std::move(script.steps));
    return sim.Run(steps);
}
