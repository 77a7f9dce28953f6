// calvox-sim: runs the program against a virtual Windows.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "sim/script.h"
#include "sim/simulation.h"

using namespace calvox::sim;

namespace {

constexpr const char* kHelp = R"(calvox-sim: the Calvox program on a virtual Windows

  calvox-sim FILE.scn   run a scenario and print its trace
                        (exit 0: every expect held; 1: one did not; 2: malformed script)
  calvox-sim            interactive: type world lines, then `start`, then steps
  calvox-sim --help     this text

World lines (before start):
  ini [SECTION] KEY=VALUE      file PATH [wav CH RATE BITS SECONDS | text "TEXT" | icon]
                               [created=SECONDS]
  time EPOCH    client    client-windows standard|filterbar|tntedit|nopages|none
  companion    windows-version MAJOR.MINOR    ui-language en-US|zh-TW
  instance-running    trace scan    mixer "NAME"    registry KEY\VALUE = DATA
  disk-free BYTES (also a step: from now on the disk has room for BYTES more;
          a write that does not fit writes what fits and fails)
  handset [vid=HHHH] [pid=HHHH] [product="TEXT"] [mcu=none|HH] [audio="NAME"]
          [in=N] [out=N] [total=N] [interfaces=N]
Steps:
  start [COMMAND LINE]    start-second [COMMAND LINE]
  skype TEXT    skype-from-other TEXT    skype-bytes HH ...    skype-empty
  attach STATUS    client-returns N [COUNT]    client-discover answer|ignore
  client-exit    client-start    client-page contacts|history    addressbar TEXT
  foreground client|other    post MESSAGE WPARAM LPARAM    report B1 B2 B3 B4
  plug [N]    unplug [N]    arrive audio|hid|other    remove audio|hid|other
  mixer-event line|control    mixer-set LINE CONTROL VALUE...
  ini-set [SECTION] KEY=VALUE    ini-delete [SECTION] KEY    file ...    delete PATH
  companion-discover    companion-changing CODE    companion-exit
  tray MOUSEMESSAGE    menu-choose ID|none    trace scan    wait MS    wait-until MS
  show-handset [CAPTION]  print the handset's display (outside the trace)
  right-click (the tray icon; at the prompt you then choose from its menu)
  explorer-restart (the taskbar is created again and broadcasts "TaskbarCreated")
  expect [@MS] CHANNEL ...    expect none CHANNEL
Limits: a `file ... wav` holds at most 64 MiB of sound; a PATH, made absolute, at
  most 259 characters. Longer asks are malformed lines (exit 2).
Channels besides the contract's:
  log TEXT    a line of the program's diagnostic log ([DIAGNOSTICS] LOG=1)
)";

class TypedSteps : public StepSource {
public:
    TypedSteps(std::istream& in, int& lineNo, std::optional<Step> first, const Simulation& sim)
        : in_(in), lineNo_(lineNo), first_(std::move(first)), sim_(sim) {}
    bool Next(Step& step) override {
        if (first_) {
            step = *first_;
            first_.reset();
            return true;
        }
        std::string text;
        while (Prompt() && std::getline(in_, text)) {
            ++lineNo_;
            if (IsBlankOrComment(text)) continue;
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
    bool Prompt() {
        // The handset's display and LEDs, whenever they changed.
        if (std::string picture = sim_.HandsetPicture(); picture != lastPicture_) {
            std::cout << picture;
            lastPicture_ = picture;
        }
        std::cout << "sim> " << std::flush;
        return true;
    }
    std::string lastPicture_;
    std::istream& in_;
    int& lineNo_;
    std::optional<Step> first_;
    const Simulation& sim_;
};

int Interactive() {
    std::cout << "calvox-sim interactive: world lines, then `start`. --help lists the commands.\n";
    std::vector<ScriptLine> world;
    int lineNo = 0;
    std::string text;
    std::optional<Step> start;
    while (std::cout << "world> " << std::flush && std::getline(std::cin, text)) {
        ++lineNo;
        if (IsBlankOrComment(text)) continue;
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
    sim.SetMenuChooser([](const std::vector<Simulation::MenuItem>& items) -> unsigned {
        for (std::size_t i = 0; i < items.size(); ++i)
            std::cout << "  " << i + 1 << ") " << items[i].text << '\n';
        std::cout << "choose 1-" << items.size() << " (anything else: none)> " << std::flush;
        std::string answer;
        if (!std::getline(std::cin, answer)) return 0;
        const std::size_t n = std::strtoul(answer.c_str(), nullptr, 10);
        return n >= 1 && n <= items.size() ? items[n - 1].id : 0;
    });
    TypedSteps steps(std::cin, lineNo, start, sim);
    int rc = sim.Run(steps);
    std::cout << '\n';
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kHelp;
        return 0;
    }
    if (argc < 2) return Interactive();

    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::cerr << "calvox-sim: cannot read " << argv[1] << '\n';
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
    ScriptSteps steps(std::move(script.steps));
    return sim.Run(steps);
}
