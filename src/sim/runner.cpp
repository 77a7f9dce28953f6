// Playing a scenario: world lines, the step machine and expectation checks.
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <ostream>
#include <sstream>

#include "hub/startup.h"
#include "hub/hub_messages.h"
#include "config/settings.h"
#include "handset/handset_device.h"
#include "handset/report_decoder.h"
#include "sim/codepage.h"
#include "sim/key_press.h"
#include "sim/simulation.h"

namespace calvox::sim {

namespace {

constexpr const char* kSettingsPath = "C:\\Calvox\\Calvox.ini";
constexpr Guid kOtherClass = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
constexpr const char* kMediaCategories = "SYSTEM\\CurrentControlSet\\Control\\MediaCategories\\";

const std::map<std::string, unsigned>& MessageNames() {
    static const std::map<std::string, unsigned> names = {
        {"WM_CREATE", 0x0001},        {"WM_DESTROY", 0x0002},
        {"WM_CLOSE", 0x0010},         {"WM_QUIT", 0x0012},
        {"WM_SETTEXT", 0x000C},       {"WM_GETTEXT", 0x000D},
        {"WM_COPYDATA", 0x004A},
        {"WM_KEYDOWN", 0x0100},       {"WM_KEYUP", 0x0101},
        {"WM_CHAR", 0x0102},          {"WM_COMMAND", 0x0111},
        {"WM_SYSCOMMAND", 0x0112},    {"WM_TIMER", 0x0113},
        {"WM_MOUSEMOVE", 0x0200},     {"WM_LBUTTONDOWN", 0x0201},
        {"WM_LBUTTONUP", 0x0202},     {"WM_LBUTTONDBLCLK", 0x0203},
        {"WM_RBUTTONDOWN", 0x0204},   {"WM_RBUTTONUP", 0x0205},
        {"WM_DEVICECHANGE", 0x0219},  {"MM_MIXM_LINE_CHANGE", 0x03D0},
        {"MM_MIXM_CONTROL_CHANGE", 0x03D1},
        {"WM_USER", 0x0400},
        {"HUBM_KEY_DOWN", HUBM_KEY_DOWN},
        {"HUBM_KEY_UP", HUBM_KEY_UP},
        {"HUBM_SPEAKER_UNMUTE", HUBM_SPEAKER_UNMUTE},
        {"HUBM_MCU_KEY", HUBM_MCU_KEY},
        {"HUBM_AUDIO_BUTTONS", HUBM_AUDIO_BUTTONS},
        {"HUBM_MCU_READY", HUBM_MCU_READY},
        {"HUBM_MCU_EVENT", HUBM_MCU_EVENT},
        {"HUBM_MCU_REQUEST", HUBM_MCU_REQUEST},
        {"HUBM_SKYPE_NOTIFY", HUBM_SKYPE_NOTIFY},
        {"HUBM_SKYPE_ATTACHED", HUBM_SKYPE_ATTACHED},
        {"HUBM_TRAY", HUBM_TRAY},
        {"HUBM_MCU_ACTION", HUBM_MCU_ACTION},
        {"HUBM_PLAYBACK_DONE", HUBM_PLAYBACK_DONE},
        {"HUBM_AM_DIALOGUE_END", HUBM_AM_DIALOGUE_END},
    };
    return names;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

// --- world ---------------------------------------------------------------------

std::string MessageName(unsigned message) {
    for (const auto& [name, number] : MessageNames())
        if (number == message && name.rfind("HUBM_", 0) != 0) return name;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", message);
    return hex;
}

void Simulation::StartClient() {
    client_.exists = true;
    auto make = [&](Hwnd& w, const char* role) {
        w = nextWindow_;
        nextWindow_ += 0x10;
        if (role != nullptr) roles_[w] = role;
    };
    const std::string& layout = client_.layout;
    client_.mainForm = client_.pageControl = client_.contactList = client_.historyList =
        client_.addressBar = client_.addressHolder = 0;
    make(client_.api, "client");
    if (layout != "none") make(client_.mainForm, "mainform");
    if (layout != "none" && layout != "nopages") {
        make(client_.pageControl, "pagecontrol");
        make(client_.contactList, "contactlist");
        make(client_.historyList, "historylist");
    }
    if (layout != "none") {
        make(client_.addressHolder, nullptr);
        make(client_.addressBar, "addressbar");
    }
    client_.addressText.clear();
    client_.historyShowing = false;
    client_.pageControlPressed = false;
    client_.focus = 0;
    client_.shiftDown = false;
    client_.returns = 1;
    client_.returnsCount.reset();
}

void Simulation::ApplyFileLine(const ScriptLine& fileLine) {
    ScriptLine line = fileLine;
    std::optional<std::int64_t> created;
    if (line.args.size() > 1 && !line.args.back().quoted &&
        line.args.back().text.rfind("created=", 0) == 0) {
        std::int64_t seconds = 0;
        ParseNumber(line.args.back().text.substr(8), seconds);
        created = seconds;
        line.args.pop_back();
    }
    std::string path;
    Utf8ToCp1252(line.args[0].text, path);
    path = FileSystem::Resolve(path);
    ApplyFileContent(line, path);
    if (VirtualFile* f = files_.Find(path)) {
        if (created) f->created = *created;
        // World files are made at virtual time 0, whenever `time` comes.
        else if (!started_) worldFiles_.push_back(path);
    }
}

void Simulation::ApplyFileContent(const ScriptLine& line, const std::string& path) {
    std::string kind = line.args.size() > 1 ? line.args[1].text : "";
    if (kind == "icon") {
        files_.Create(path, FileKind::Icon);
    } else if (kind == "text") {
        std::string bytes;
        Utf8ToCp1252(Unescape(line.args[2].text), bytes);
        files_.Create(path, FileKind::Text).content = bytes;
    } else if (kind == "wav") {
        std::int64_t channels = 1, rate = 8000, bits = 16, seconds = 0;
        ParseNumber(line.args[2].text, channels);
        ParseNumber(line.args[3].text, rate);
        ParseNumber(line.args[4].text, bits);
        ParseNumber(line.args[5].text, seconds);
        const std::int64_t align = channels * bits / 8;
        std::string b = SilentWave(static_cast<std::uint16_t>(channels),
                                   static_cast<std::uint32_t>(rate),
                                   static_cast<std::uint16_t>(bits),
                                   static_cast<std::uint32_t>(align * rate * seconds));
        files_.Create(path, FileKind::Wave).content = std::move(b);
    } else {
        files_.Create(path, FileKind::Empty);
    }
}

bool Simulation::ApplyWorld(const std::vector<ScriptLine>& world, ParseError& error) {
    for (const ScriptLine& line : world) {
        const std::string& w = line.word;
        if (w == "ini") {
            std::string section, key, value;
            Utf8ToCp1252(line.section, section);
            Utf8ToCp1252(line.key, key);
            Utf8ToCp1252(line.value, value);
            files_.WriteProfile(kSettingsPath, section, key, value);
        } else if (w == "file") {
            ApplyFileLine(line);
        } else if (w == "time") {
            ParseNumber(line.args[0].text, epoch_);
        } else if (w == "client") {
            if (!client_.exists) StartClient();
        } else if (w == "client-windows") {
            client_.layout = line.args[0].text;
            // The layout may come after `client`: its windows follow it.
            if (client_.exists) StartClient();
        } else if (w == "companion") {
            files_.Create("C:\\Calvox\\Velmora.exe", FileKind::Empty);
        } else if (w == "driver") {
            driver_.installed = true;
            driver_.refuse = !line.args.empty() && line.args[0].text == "refuse";
        } else if (w == "windows-version") {
            windowsVersion_ = line.args[0].text;
        } else if (w == "ui-language") {
            uiLanguage_ = line.args[0].text;
        } else if (w == "instance-running") {
            instanceWindow_ = nextWindow_;
            nextWindow_ += 0x10;
            roles_[instanceWindow_] = "other";
        } else if (w == "trace") {
            traceScan_ = true;
        } else if (w == "disk-free") {
            ParseNumber(line.args[0].text, diskFree_);
        } else if (w == "handset") {
            const HandsetSpec spec = HandsetSpecFromOptions(line.args);
            const int i = handsets_.Add(spec);
            registry_.Set(RegistryHive::LocalMachine,
                          std::string(kMediaCategories) + GuidText(handsets_.NameGuid(i)), "Name",
                          spec.audio);
        } else if (w == "mixer") {
            std::string name;
            Utf8ToCp1252(line.args[0].text, name);
            mixers_.Declare(name);
        } else if (w == "registry") {
            std::string key, value;
            Utf8ToCp1252(line.key, key);
            Utf8ToCp1252(line.value, value);
            const Token& data = line.args[0];
            std::int64_t number = 0;
            if (data.quoted) {
                std::string text;
                Utf8ToCp1252(data.text, text);
                registry_.Set(key, value, text);
            } else if (ParseNumber(data.text, number)) {
                registry_.Set(key, value, static_cast<std::uint32_t>(number));
            }
        } else {
            error = {line.lineNo, "unknown command '" + w + "'"};
            return false;
        }
    }
    for (const std::string& path : worldFiles_)
        if (VirtualFile* f = files_.Find(path)) f->created = epoch_;
    worldFiles_.clear();
    // The handsets' mixers come after every declared one.
    for (int i = 0; i < handsets_.Count(); ++i) mixers_.AttachHandset(i, handsets_.Spec(i).audio);
    return true;
}

// --- the step machine ----------------------------------------------------------

int Simulation::Run(StepSource& steps) {
    steps_ = &steps;
    while (BeginNextStep()) {
        const Step& step = *step_;
        started_ = true;
        if (step.line.word == "start" && processes_.empty()) {
            presenter_->StepBegins(step.line);
            RunProcess(step.line.text, false);
            if (exitCode_ == 2) break;
        }
        if (step_) EndStep();
    }
    out_.flush();
    return exitCode_;
}

void Simulation::RunProcess(const std::string& commandLine, bool nested) {
    auto process = std::make_unique<Process>();
    process->nested = nested;
    Process* previous = current_;
    current_ = process.get();
    processes_.push_back(std::move(process));
    std::string line;
    Utf8ToCp1252(commandLine, line);
    Platform platform{*this, *this, *this, *this, *this, *this, *this, *this,
                      *this, *this, *this, *this, *this, *this, sound_, *this, this, this};
    RunProgram(platform, line);
    current_->ended = true;
    current_->destroyed = true;
    current_ = previous;
}

bool Simulation::BeginNextStep() {
    if (sourceDone_) return false;
    Step step;
    if (!steps_->Next(step)) {
        sourceDone_ = true;
        return false;
    }
    step_ = std::move(step);
    // Expects look only at their own step's lines: the trace need not grow
    // with the length of a run.
    trace_.clear();
    stepFirstLine_ = 0;
    return true;
}

void Simulation::EndStep() {
    if (!step_) return;
    CheckExpects(*step_, stepFirstLine_);
    step_.reset();
    out_.flush();
}

bool Simulation::StepIdle() {
    if (step_ && !stepParts_.empty()) {
        const StepPart part = std::move(stepParts_.front());
        stepParts_.pop_front();
        if (part.told) presenter_->StepBegins(part.line);
        if (ExecuteStep(Step{part.line, {}})) return true;
    } else {
        EndStep();
        if (exitCode_ == 2 || !BeginNextStep()) {
            EndProgramQuietly();
            return false;
        }
        presenter_->StepBegins(step_->line);
        if (ExecuteStep(*step_)) return true;
    }
    stepParts_.clear();
    // A typed step that could not run did nothing; the next one comes.
    if (forgiving_) return true;
    EndStep();
    EndProgramQuietly();
    return false;
}

void Simulation::EndProgramQuietly() {
    // The script is over while the program runs: end it without a trace so
    // that its threads and objects are released.
    muted_ = true;
    if (current_ != nullptr && current_->hub != 0) DestroyHub(*current_);
}

bool Simulation::StepError(const Step& step, const std::string& reason) {
    if (forgiving_) {
        out_ << "  ? " << reason << '\n';
        return false;
    }
    err_ << "calvox-sim: line " << step.line.lineNo << ": " << reason << '\n';
    exitCode_ = 2;
    return false;
}

void Simulation::CheckExpects(const Step& step, std::size_t firstLine) {
    if (step.expects.empty()) return;
    std::map<std::string, std::vector<const TraceLine*>> byChannel;
    for (std::size_t i = firstLine; i < trace_.size(); ++i)
        byChannel[ChannelOf(trace_[i].text)].push_back(&trace_[i]);

    std::map<std::string, std::vector<const Expect*>> expected;
    for (const Expect& e : step.expects) expected[e.channel].push_back(&e);

    for (const auto& [channel, expects] : expected) {
        const auto& lines = byChannel[channel];
        const Expect* failed = nullptr;
        if (expects.front()->none) {
            if (!lines.empty()) failed = expects.front();
        } else {
            for (std::size_t i = 0; i < expects.size() && !failed; ++i)
                if (i >= lines.size() || !MatchExpect(*expects[i], lines[i]->text, lines[i]->time))
                    failed = expects[i];
            if (!failed && lines.size() > expects.size()) failed = expects.back();
        }
        if (failed == nullptr) continue;
        if (exitCode_ == 0) exitCode_ = 1;
        err_ << "calvox-sim: line " << failed->lineNo << ": expect failed: " << failed->text
             << "\n  step at line " << step.line.lineNo << " wrote:\n";
        for (std::size_t i = firstLine; i < trace_.size(); ++i)
            err_ << "  @" << trace_[i].time << ' ' << trace_[i].text << '\n';
        if (firstLine == trace_.size()) err_ << "  (nothing)\n";
    }
}

void Simulation::SendToHub(unsigned message, WParam wParam, LParam lParam) {
    if (current_ == nullptr || current_->hub == 0 || current_->destroyed) return;
    current_->proc(current_->hub, message, wParam, lParam);
}

void Simulation::PostToHub(unsigned message, WParam wParam, LParam lParam) {
    if (current_ != nullptr) PostMessage(current_->hub, message, wParam, lParam);
}

void Simulation::SendDeviceChange(WParam event, const Guid& classGuid) {
    DeviceInterfaceBroadcast broadcast{};
    broadcast.header.size = sizeof broadcast;
    broadcast.header.deviceType = dbt::kDevTypDeviceInterface;
    broadcast.classGuid = classGuid;
    SendToHub(wm::kDeviceChange, event, reinterpret_cast<LParam>(&broadcast));
}

void Simulation::PlugHandset(int handset, bool plugged) {
    // The device goes first, then Windows tells the hub, one notification
    // handled after the other.
    if (plugged) {
        handsets_.Plug(handset);
        mixers_.SetPresent(handset, true);
        SendDeviceChange(dbt::kDeviceArrival, kAudioInterfaceClass);
        SendDeviceChange(dbt::kDeviceArrival, GetHidGuid());
    } else {
        handsets_.Unplug(handset);
        mixers_.SetPresent(handset, false);
        SendDeviceChange(dbt::kDeviceRemoveComplete, GetHidGuid());
        SendDeviceChange(dbt::kDeviceRemoveComplete, kAudioInterfaceClass);
    }
}

int Simulation::HandsetOfStep() const {
    // The handset the program has open; else the first one plugged in.
    const int open = handsets_.InUse();
    if (open >= 0) return open;
    for (int i = 0; i < handsets_.Count(); ++i)
        if (handsets_.IsPlugged(i)) return i;
    return -1;
}

bool Simulation::SetMixerFromStep(const Step& step) {
    const std::vector<Token>& args = step.line.args;
    const bool onoff = args[1].text == "onoff";
    std::string name;
    if (onoff) Utf8ToCp1252(args[2].text, name);
    std::vector<std::uint32_t> values;
    for (std::size_t i = onoff ? 3 : 2; i < args.size(); ++i) {
        std::int64_t v = 0;
        ParseNumber(args[i].text, v);
        values.push_back(static_cast<std::uint32_t>(v));
    }
    std::string error;
    if (!mixers_.SetFromOutside(HandsetOfStep(), args[0].text, args[1].text, name, values, error))
        return StepError(step, error);
    return true;
}

std::string Simulation::Refusal(const ScriptLine& step) const {
    if (step.word != "plug" && step.word != "unplug") return {};
    std::int64_t n = 1;
    if (!step.args.empty()) ParseNumber(step.args[0].text, n);
    const std::string which = "handset " + std::to_string(n);
    if (n < 1 || n > handsets_.Count()) return "no " + which + " is declared";
    const bool plug = step.word == "plug";
    if (handsets_.IsPlugged(static_cast<int>(n - 1)) == plug)
        return which + (plug ? " is already plugged in" : " is not plugged in");
    return {};
}

bool Simulation::ResolveMessage(const Token& token, unsigned& message, std::string& error) {
    if (token.quoted) {
        std::string text;
        Utf8ToCp1252(token.text, text);
        message = RegisterWindowMessage(text);
        return true;
    }
    std::int64_t number;
    if (ParseNumber(token.text, number)) {
        message = static_cast<unsigned>(number);
        return true;
    }
    auto it = MessageNames().find(token.text);
    if (it == MessageNames().end()) {
        error = "unknown message '" + token.text + "'";
        return false;
    }
    message = it->second;
    return true;
}

bool Simulation::ResolveParam(const Token& token, std::int64_t& value, std::string& error) {
    if (ParseNumber(token.text, value)) return true;
    const std::string& r = token.text;
    Hwnd w = 0;
    if (r == "hub") w = current_ ? current_->hub : 0;
    else if (r == "client") w = client_.api;
    else if (r == "mainform") w = client_.mainForm;
    else if (r == "pagecontrol") w = client_.pageControl;
    else if (r == "contactlist") w = client_.contactList;
    else if (r == "historylist") w = client_.historyList;
    else if (r == "addressbar") w = client_.addressBar;
    else if (r == "companion") w = companion_;
    else if (r == "other") w = other_;
    else if (r == "dead") w = dead_;
    else {
        error = "unknown window role '" + r + "'";
        return false;
    }
    value = static_cast<std::int64_t>(w);
    return true;
}

bool Simulation::ExecuteStep(const Step& step) {
    const ScriptLine& line = step.line;
    const std::string& w = line.word;
    auto number = [&](std::size_t i) {
        std::int64_t v = 0;
        ParseNumber(line.args[i].text, v);
        return v;
    };
    auto sendText = [&](Hwnd from, const std::string& bytes, std::uint32_t cb, bool nullData) {
        CopyDataRecord record{0, cb, nullData ? nullptr : bytes.data()};
        SendToHub(wm::kCopyData, from, reinterpret_cast<LParam>(&record));
    };
    Hwnd clientApi = client_.api != 0 ? client_.api : dead_;

    if (w == "start") return StepError(step, "the program is already running");
    if (w == "start-second") {
        RunProcess(line.text, true);
    } else if (w == "skype" || w == "skype-from-other") {
        if (w == "skype") NoteClientText(line.text);
        std::string bytes = line.text;
        sendText(w == "skype" ? clientApi : other_, bytes,
                 static_cast<std::uint32_t>(bytes.size() + 1), false);
    } else if (w == "skype-bytes") {
        std::string bytes;
        for (const Token& t : line.args) {
            std::uint8_t b = 0;
            ParseHexByte(t.text, b);
            bytes += static_cast<char>(b);
        }
        sendText(clientApi, bytes, static_cast<std::uint32_t>(bytes.size()), false);
    } else if (w == "ring") {
        Ring(line);
    } else if (w == "press") {
        return PressKey(step);
    } else if (w == "skype-empty") {
        sendText(clientApi, "", 0, true);
    } else if (w == "attach") {
        PostToHub(RegisterWindowMessage("SkypeControlAPIAttach"), clientApi,
                  static_cast<LParam>(number(0)));
    } else if (w == "client-returns") {
        client_.returns = static_cast<LResult>(number(0));
        if (line.args.size() > 1) client_.returnsCount = number(1);
        else client_.returnsCount.reset();
        if (client_.returnsCount && *client_.returnsCount <= 0) {
            client_.returnsCount.reset();
            client_.returns = 1;
        }
    } else if (w == "client-discover") {
        client_.answerDiscover = line.args[0].text == "answer";
    } else if (w == "client-exit") {
        for (Hwnd h : {client_.api, client_.mainForm, client_.pageControl, client_.contactList,
                       client_.historyList, client_.addressBar, client_.addressHolder})
            if (h != 0) roles_[h] = "dead";
        if (foreground_ == client_.mainForm) foreground_ = other_;
        client_.exists = false;
    } else if (w == "client-start") {
        StartClient();
    } else if (w == "menu-choose") {
        if (line.args[0].text == "none") menuChoice_ = 0;
        else menuChoice_ = static_cast<unsigned>(number(0));
    } else if (w == "explorer-restart") {
        // The new taskbar starts empty and tells every top-level window.
        trayPresent_ = false;
        SendToHub(RegisterWindowMessage("TaskbarCreated"), 0, 0);
    } else if (w == "right-click") {
        // The person at the prompt right-clicks the icon and chooses from the menu.
        PostToHub(HUBM_TRAY, 1, static_cast<LParam>(wm::kRButtonUp));
    } else if (w == "client-page") {
        client_.historyShowing = line.args[0].text == "history";
    } else if (w == "addressbar") {
        Utf8ToCp1252(line.text, client_.addressText);
    } else if (w == "foreground") {
        foreground_ = line.args[0].text == "client" ? client_.mainForm : other_;
    } else if (w == "post") {
        unsigned message = 0;
        std::int64_t wp = 0, lp = 0;
        std::string error;
        if (!ResolveMessage(line.args[0], message, error) ||
            !ResolveParam(line.args[1], wp, error) || !ResolveParam(line.args[2], lp, error))
            return StepError(step, error);
        PostToHub(message, static_cast<WParam>(wp), static_cast<LParam>(lp));
    } else if (w == "arrive" || w == "remove") {
        const std::string& kind = line.args[0].text;
        Guid guid = kind == "audio" ? kAudioInterfaceClass : kind == "hid" ? GetHidGuid() : kOtherClass;
        SendDeviceChange(w == "arrive" ? dbt::kDeviceArrival : dbt::kDeviceRemoveComplete, guid);
    } else if (w == "ini-set" || w == "ini-delete") {
        std::string section, key, value;
        Utf8ToCp1252(line.section, section);
        Utf8ToCp1252(line.key, key);
        Utf8ToCp1252(line.value, value);
        if (w == "ini-set") files_.WriteProfile(kSettingsPath, section, key, value);
        else files_.DeleteProfileKey(kSettingsPath, section, key);
    } else if (w == "file") {
        ApplyFileLine(line);
    } else if (w == "delete") {
        std::string path;
        Utf8ToCp1252(line.args[0].text, path);
        files_.Remove(FileSystem::Resolve(path));
    } else if (w == "companion-discover") {
        if (companion_ == 0) {
            companion_ = nextWindow_;
            nextWindow_ += 0x10;
            roles_[companion_] = "companion";
        }
        PostToHub(RegisterWindowMessage("VMSetting_Discover"), companion_, 0);
    } else if (w == "companion-changing") {
        PostToHub(RegisterWindowMessage("VMSetting_Changing"), static_cast<WParam>(number(0)), 0);
    } else if (w == "companion-exit") {
        if (companion_ != 0) roles_[companion_] = "dead";
        companion_ = 0;
    } else if (w == "tray") {
        unsigned mouse = 0;
        std::string error;
        if (!ResolveMessage(line.args[0], mouse, error)) return StepError(step, error);
        PostToHub(HUBM_TRAY, 1, static_cast<LParam>(mouse));
    } else if (w == "driver-status") {
        std::int64_t channel = number(0), value = 0;
        if (line.args[1].text == "fail") driver_.status[static_cast<std::uint32_t>(channel)].reset();
        else if (ParseNumber(line.args[1].text, value))
            driver_.status[static_cast<std::uint32_t>(channel)] = static_cast<std::int32_t>(value);
    } else if (w == "driver-refuse") {
        driver_.refuse = line.args[0].text == "on";
    } else if (w == "wait") {
        waitTarget_ = now_ + number(0);
    } else if (w == "wait-until") {
        if (number(0) < now_)
            return StepError(step, "wait-until " + std::to_string(number(0)) +
                                       " is in the past (now " + std::to_string(now_) + ")");
        waitTarget_ = number(0);
    } else if (w == "show-handset") {
        // For a reader of the trace; no channel, so no expect sees it.
        if (!muted_) presenter_->HandsetShown(line.text, HandsetPicture());
    } else if (w == "trace") {
        traceScan_ = true;
    } else if (w == "disk-free") {
        diskFree_ = number(0);
    } else if (w == "report") {
        std::array<std::uint8_t, 4> bytes{};
        for (std::size_t i = 0; i < 4; ++i) ParseHexByte(line.args[i].text, bytes[i]);
        handsets_.SendReport(handsets_.InUse(), bytes);
    } else if (w == "plug" || w == "unplug") {
        if (std::string why = Refusal(line); !why.empty()) return StepError(step, why);
        PlugHandset(line.args.empty() ? 0 : static_cast<int>(number(0)) - 1, w == "plug");
    } else if (w == "mixer-event") {
        const bool lineChange = line.args[0].text == "line";
        for (const VirtualMixers::Callback& c : mixers_.CallbacksOf(HandsetOfStep()))
            PostMessage(c.window, lineChange ? wm::kMixmLineChange : wm::kMixmControlChange,
                        c.mixer,
                        static_cast<LParam>(lineChange ? VirtualMixers::ChangedLineId()
                                                       : VirtualMixers::ChangedControlId()));
    } else if (w == "mixer-set") {
        if (!SetMixerFromStep(step)) return false;
    } else {
        return StepError(step, "unknown command '" + w + "'");
    }
    return true;
}

void Simulation::NoteClientText(const std::string& text) {
    std::istringstream words(text);
    std::string object, id, property;
    words >> object >> id >> property;
    if (object == "CALL") {
        std::int64_t n = 0;
        if (ParseNumber(id, n)) client_.lastCallId = std::max(client_.lastCallId, n);
    } else if (object == "USER" && property == "FULLNAME") {
        std::string name;
        std::getline(words >> std::ws, name);
        client_.fullNames[id] = name;
    }
}

void Simulation::Ring(const ScriptLine& line) {
    std::int64_t id = client_.lastCallId + 1;
    if (line.args.size() == 2) ParseNumber(line.args[0].text, id);
    const std::string& handle = line.args.back().text;
    const auto known = client_.fullNames.find(handle);
    const std::string name = known != client_.fullNames.end() ? known->second : handle;
    const std::string call = "CALL " + std::to_string(id) + " ";
    // What the client says of a new incoming call, the program's questions
    // answered in the order it asks them.
    for (const std::string& text :
         {call + "STATUS RINGING", call + "TIMESTAMP " + std::to_string(Now()),
          call + "TYPE INCOMING_P2P", call + "PARTNER_DISPNAME " + name,
          call + "PARTNER_HANDLE " + handle, call + "STATUS RINGING"}) {
        ScriptLine part;
        part.lineNo = line.lineNo;
        part.word = "skype";
        part.text = text;
        stepParts_.push_back({std::move(part), true});
    }
}

bool Simulation::PressKey(const Step& step) {
    const std::string& name = step.line.text;
    const int function = KeyFunctionFromName(name);
    // The key table as the settings file gives it; the caps layer needs a
    // held CAPSLOCK key, which a press never leaves.
    int slot = -1;
    for (int n = 0; n < kKeySlots && slot < 0; ++n) {
        const std::string text = GetString("KEYDEFINE", "KEY" + std::to_string(n), kSettingsPath,
                                           kTextBufferSize);
        if ((text.empty() ? n : KeyFunctionFromName(text)) == function) slot = n;
    }
    if (slot < 0) return StepError(step, "no key of the handset has " + name);
    const int handset = HandsetOfStep();
    if (handset < 0) return StepError(step, "no handset is plugged in");
    const HandsetSpec& spec = handsets_.Spec(handset);
    const std::string modeText = GetString("SCANMODE", "MODE", kSettingsPath, kTextBufferSize);
    const int scanMode = modeText.empty() ? MCU_MODE : ScanModeFromText(modeText);
    const std::string product = Utf16ToCp1252(spec.product);
    const int productType = product.find(kHeadphoneSetProduct) != std::string::npos
                                ? kProductHeadphoneSet
                                : kProductGeneric;
    // A microcontroller that answers the probe sends the keys in every mode.
    const KeypadMode mode{scanMode == MCU_MODE || spec.mcu.has_value(),
                          ResolveScanMode(scanMode, productType),
                          GetInt("GPIOPULLHIGH", "MODE", 0, kSettingsPath) != 0};
    const std::vector<InputReport> reports = KeyPressReports(mode, slot);
    if (reports.empty())
        return StepError(step, "the keypad has no key in slot " + std::to_string(slot) +
                                   " (KEY" + std::to_string(slot) + "=" + name + ")");
    handsets_.SendReport(handsets_.InUse(), reports.front());
    for (std::size_t i = 1; i < reports.size(); ++i) {
        ScriptLine release;
        release.lineNo = step.line.lineNo;
        release.word = "report";
        for (std::uint8_t b : reports[i]) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02x", b);
            release.args.push_back({hex, false});
        }
        stepParts_.push_back({std::move(release), false});
    }
    return true;
}

}  // namespace calvox::sim
