// The ports of the virtual Windows.
#include "sim/simulation.h"

#include <algorithm>
#include <cstring>
#include <ostream>

#include "hub/hub_messages.h"
#include "sim/codepage.h"
#include "base/text_case.h"
#include "sound/driver_wave_player.h"

namespace calvox::sim {

Simulation::Simulation(std::ostream& out, std::ostream& err)
    : out_(out),
      err_(err),
      raw_(out),
      scheduler_(now_),
      handsets_(scheduler_,
                HandsetHost{[this](const std::string& line) { Write(line); },
                            [this] { return traceScan_ || scheduler_.CurrentName() != "scan"; },
                            [this](EventHandle e, std::uint32_t ms) { return WaitEvent(e, ms); }}),
      mixers_([this](const std::string& line) { Write(line); }),
      registry_([this](const std::string& line) { Write(line); }),
      sound_(now_, SoundHost{[this](const std::string& line) { Write(line); },
                             [this] {
                                 std::vector<std::string> names(mixers_.GetDeviceCount());
                                 for (unsigned i = 0; i < names.size(); ++i)
                                     mixers_.GetDeviceName(i, names[i]);
                                 return names;
                             },
                             [this](std::function<void()> body) {
                                 scheduler_.StartThread("sound device", std::move(body));
                             },
                             [this](std::uint32_t ms) { scheduler_.Sleep(ms); },
                             [this](EventHandle event) { scheduler_.SetEvent(event); }}) {
    other_ = nextWindow_;
    nextWindow_ += 0x10;
    roles_[other_] = "other";
    dead_ = nextWindow_;
    nextWindow_ += 0x10;
    roles_[dead_] = "dead";
    foreground_ = other_;
    files_.SetClock([this] { return Now(); });
}

Simulation::~Simulation() = default;

// --- trace -------------------------------------------------------------

void RawTrace::TraceWritten(const TraceLine& line) {
    out_ << '@' << line.time << ' ' << line.text << '\n';
}

void RawTrace::HandsetShown(const std::string& caption, const std::string& picture) {
    if (!caption.empty()) out_ << "  -- " << caption << " --\n";
    out_ << (picture.empty() ? "  (no handset)\n" : picture);
}

void Simulation::Write(const std::string& text) {
    if (muted_) return;
    trace_.push_back({now_, text});
    presenter_->TraceWritten(trace_.back());
}

std::string Simulation::Hex(std::uint64_t value) const {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::string Simulation::Role(Hwnd window) const {
    auto it = roles_.find(window);
    if (it != roles_.end()) return it->second;
    return Hex(window);
}

std::string Simulation::ChannelOf(const std::string& text) const {
    return text.substr(0, text.find(' '));
}

// --- windows and messages ------------------------------------------------

Simulation::Process* Simulation::ProcessOf(Hwnd window) {
    if (window == 0) return nullptr;
    for (auto& p : processes_)
        if (p->hub == window) return p.get();
    return nullptr;
}

Hwnd Simulation::FindWindow(const std::string& className, const std::string& title) {
    if (className != kHiddenWindowClass || title != kHiddenWindowClass) return 0;
    if (instanceWindow_ != 0) return instanceWindow_;
    for (auto& p : processes_)
        if (p->hub != 0 && !p->destroyed) return p->hub;
    return 0;
}

bool Simulation::RegisterClass(const WindowClassSpec& spec, WindowProc proc) {
    classes_[spec.className] = std::move(proc);
    return true;
}

Hwnd Simulation::CreateWindow(const WindowCreateSpec& spec) {
    auto it = classes_.find(spec.className);
    if (it == classes_.end() || current_ == nullptr) return 0;
    Process& p = *current_;
    p.hub = nextWindow_;
    nextWindow_ += 0x10;
    roles_[p.hub] = "hub";
    p.proc = it->second;
    p.proc(p.hub, wm::kCreate, 0, 0);
    return p.hub;
}

bool Simulation::GetMessage(Msg& msg) {
    Process& p = *current_;
    for (;;) {
        if (!p.queue.empty()) {
            msg = p.queue.front();
            p.queue.pop_front();
            if (msg.message == wm::kQuit) return false;
            return true;
        }
        scheduler_.RunReady();
        if (!p.queue.empty()) continue;
        if (auto timer = DueTimerMessage(now_)) {
            msg = *timer;
            return true;
        }
        if (waitTarget_) {
            std::optional<std::int64_t> next = NextTimerDue();
            std::optional<std::int64_t> wake = scheduler_.NextWake();
            if (wake && (!next || *wake < *next)) next = wake;
            if (next && *next <= *waitTarget_) {
                now_ = std::max(now_, *next);
            } else {
                now_ = std::max(now_, *waitTarget_);
                waitTarget_.reset();
            }
            continue;
        }
        // A second process never owns the script; idle, it is done.
        if (p.nested) return false;
        if (!StepIdle()) return false;
    }
}

LResult Simulation::DispatchMessage(const Msg& msg) {
    if (msg.hwnd == 0 && msg.message == wm::kTimer) {
        for (const Timer& t : timers_) {
            if (t.window == 0 && t.id == msg.wParam) {
                ThreadTimerProc proc = t.proc;
                proc(t.id);
                break;
            }
        }
        return 0;
    }
    Process* p = ProcessOf(msg.hwnd);
    if (p == nullptr || p->destroyed) return 0;
    return p->proc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

bool Simulation::PostMessage(Hwnd window, unsigned message, WParam wParam, LParam lParam) {
    if (Process* p = ProcessOf(window)) {
        if (p->destroyed || p->ended) return false;
        p->queue.push_back({window, message, wParam, lParam});
        return true;
    }
    if (window != 0 && window == companion_) {
        if (message >= 0xC000 && message - 0xC000 < registered_.size()) {
            auto known = roles_.find(static_cast<Hwnd>(wParam));
            std::string w = known != roles_.end() ? known->second : Hex(wParam);
            Write("companion< " + registered_[message - 0xC000] + " " + w + " " +
                  std::to_string(lParam));
        }
        return true;
    }
    if (FindClientWindow(window)) {
        ClientWindowMessage(window, message, wParam, lParam);
        return true;
    }
    return IsWindow(window);
}

void Simulation::PostQuitMessage(int) {
    Write("quit");
    if (current_ != nullptr) current_->queue.push_back({0, wm::kQuit, 0, 0});
}

void Simulation::DestroyHub(Process& p) {
    if (p.destroyed) return;
    p.destroyed = true;
    std::erase_if(timers_, [&](const Timer& t) { return t.window == p.hub; });
    p.proc(p.hub, wm::kDestroy, 0, 0);
}

LResult Simulation::DefWindowProc(Hwnd window, unsigned message, WParam, LParam) {
    if (message == wm::kClose) {
        if (Process* p = ProcessOf(window)) DestroyHub(*p);
    }
    return 0;
}

bool Simulation::IsWindow(Hwnd window) {
    if (window == 0) return false;
    if (Process* p = ProcessOf(window)) return !p->destroyed;
    if (window == other_ || window == instanceWindow_) return true;
    if (window == companion_) return true;
    return FindClientWindow(window).has_value();
}

unsigned Simulation::RegisterWindowMessage(const std::string& text) {
    for (std::size_t i = 0; i < registered_.size(); ++i)
        if (EqualIgnoringCase(registered_[i], text)) return static_cast<unsigned>(0xC000 + i);
    registered_.push_back(text);
    return static_cast<unsigned>(0xC000 + registered_.size() - 1);
}

void Simulation::BroadcastMessageTimeout(unsigned message, WParam wParam, LParam, unsigned) {
    if (message != RegisterWindowMessage("SkypeControlAPIDiscover")) return;
    Write("discover");
    // The client answers while the broadcast is being delivered.
    if (client_.exists && client_.answerDiscover)
        PostMessage(static_cast<Hwnd>(wParam), RegisterWindowMessage("SkypeControlAPIAttach"),
                    client_.api, 0);
}

LResult Simulation::SendCopyData(Hwnd to, Hwnd, const CopyDataRecord& record) {
    if (!client_.exists || to != client_.api) return 0;
    const char* data = static_cast<const char*>(record.lpData);
    std::size_t length = 0;
    while (data != nullptr && length < record.cbData && data[length] != '\0') ++length;
    std::string text = data ? std::string(data, length) : std::string();
    std::string line = "skype< " + text;
    if (record.cbData != length + 1) line += " [cb=" + std::to_string(record.cbData) + "]";
    Write(line);
    if (text == "FOCUS") foreground_ = client_.mainForm;

    LResult result = client_.returns;
    if (client_.returnsCount) {
        if (--*client_.returnsCount <= 0) {
            client_.returnsCount.reset();
            client_.returns = 1;
        }
    }
    return result;
}

DeviceNotifyHandle Simulation::RegisterDeviceInterfaceNotification(Hwnd, const Guid&) {
    static DeviceNotifyHandle next = 0x500;
    return next++;
}

// --- time ------------------------------------------------------------------

void Simulation::SetTimer(Hwnd window, std::uintptr_t id, std::uint32_t periodMs) {
    std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == id; });
    timers_.push_back({window, id, periodMs, now_ + periodMs, ++timerSeq_, {}});
    Write("timer set " + Hex(id) + " " + std::to_string(periodMs));
}

void Simulation::KillTimer(Hwnd window, std::uintptr_t id) {
    auto n = std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == id; });
    if (n > 0) Write("timer kill " + Hex(id));
}

std::uintptr_t Simulation::SetThreadTimer(std::uint32_t periodMs, ThreadTimerProc proc) {
    std::uintptr_t id = nextThreadTimer_++;
    timers_.push_back({0, id, periodMs, now_ + periodMs, ++timerSeq_, std::move(proc)});
    Write("ttimer set " + std::to_string(id) + " " + std::to_string(periodMs));
    return id;
}

void Simulation::KillThreadTimer(std::uintptr_t id) {
    auto n = std::erase_if(timers_, [&](const Timer& t) { return t.window == 0 && t.id == id; });
    if (n > 0) Write("ttimer kill " + std::to_string(id));
}

std::optional<Msg> Simulation::DueTimerMessage(std::int64_t limit) {
    Timer* best = nullptr;
    auto before = [](const Timer& a, const Timer& b) {
        if (a.due != b.due) return a.due < b.due;
        bool aThread = a.window == 0, bThread = b.window == 0;
        if (aThread != bThread) return !aThread;  // window timers first
        return a.seq < b.seq;
    };
    for (Timer& t : timers_)
        if (t.due <= limit && (best == nullptr || before(t, *best))) best = &t;
    if (best == nullptr) return std::nullopt;
    // A late periodic timer is next due one period after it fired.
    best->due = now_ + std::max<std::uint32_t>(best->period, 1);
    best->seq = ++timerSeq_;
    return Msg{best->window, wm::kTimer, best->id, 0};
}

std::optional<std::int64_t> Simulation::NextTimerDue() const {
    std::optional<std::int64_t> next;
    for (const Timer& t : timers_)
        if (!next || t.due < *next) next = t.due;
    return next;
}

void Simulation::Sleep(std::uint32_t ms) {
    if (scheduler_.OnWorker()) {
        scheduler_.Sleep(ms);
        return;
    }
    Write("sleep " + std::to_string(ms));
    const std::int64_t target = now_ + ms;
    for (;;) {
        scheduler_.RunReady();
        std::optional<std::int64_t> wake = scheduler_.NextWake();
        if (!wake || *wake > target) break;
        now_ = std::max(now_, *wake);
    }
    now_ = target;
    scheduler_.RunReady();
}

// --- threads ---------------------------------------------------------------

EventHandle Simulation::CreateEvent(const std::string& name, bool manualReset, bool signaled) {
    return scheduler_.CreateEvent(name, manualReset, signaled);
}

WaitResult Simulation::WaitEvent(EventHandle event, std::uint32_t timeoutMs) {
    std::size_t index = 0;
    return WaitEvents({event}, timeoutMs, index);
}

WaitResult Simulation::WaitEvents(const std::vector<EventHandle>& events, std::uint32_t timeoutMs,
                                  std::size_t& index) {
    if (scheduler_.OnWorker()) return scheduler_.WaitEvents(events, timeoutMs, index);
    // The hub thread waits for a worker or a virtual device: the workers run
    // and time moves on to their wake-ups until the event comes or the time-out
    // has passed. Nothing is written on `sleep`.
    const bool bounded = timeoutMs != kInfinite;
    const std::int64_t limit = now_ + (bounded ? timeoutMs : 0);
    for (;;) {
        scheduler_.RunReady();
        const WaitResult result = scheduler_.WaitEvents(events, 0, index);
        if (result != WaitResult::Timeout) return result;
        // Without a limit a wake-up may never bring the event (a scan loop
        // wakes for ever), so the hub gives up rather than hang.
        if (!bounded) return WaitResult::Timeout;
        std::optional<std::int64_t> wake = scheduler_.NextWake();
        if (!wake || *wake > limit) break;
        now_ = std::max(now_, *wake);
    }
    now_ = limit;
    scheduler_.RunReady();
    return scheduler_.WaitEvents(events, 0, index);
}

ThreadHandle Simulation::StartThread(const std::string& name, std::function<void()> body) {
    return scheduler_.StartThread(name, std::move(body));
}

bool Simulation::JoinThread(ThreadHandle thread, std::uint32_t timeoutMs) {
    // Like a wait for an event: a worker that is asleep is waited for until it
    // wakes and ends, within the time limit.
    const std::int64_t limit = now_ + timeoutMs;
    for (;;) {
        scheduler_.RunReady();
        if (scheduler_.IsFinished(thread)) return true;
        std::optional<std::int64_t> wake = scheduler_.NextWake();
        if (!wake || *wake > limit) break;
        now_ = std::max(now_, *wake);
    }
    now_ = std::max(now_, limit);
    scheduler_.RunReady();
    return scheduler_.IsFinished(thread);
}

// --- settings file ---------------------------------------------------------

int Simulation::GetInt(const std::string& section, const std::string& key, int defaultValue,
                       const std::string& path) {
    std::optional<std::string> text = files_.ReadProfile(path, section, key);
    if (!text) return defaultValue;
    const std::string& v = *text;
    std::size_t i = 0;
    bool negative = false;
    if (i < v.size() && v[i] == '-') {
        negative = true;
        ++i;
    }
    long long value = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (v[i] - '0'), 0xFFFFFFFFLL);
    return static_cast<int>(static_cast<std::uint32_t>(negative ? -value : value));
}

std::string Simulation::GetString(const std::string& section, const std::string& key,
                                  const std::string& path, std::size_t bufferSize) {
    std::optional<std::string> text = files_.ReadProfile(path, section, key);
    if (!text || bufferSize == 0) return {};
    return text->substr(0, bufferSize - 1);
}

bool Simulation::WriteString(const std::string& section, const std::string& key,
                             const std::string& value, const std::string& path) {
    Write("ini-write [" + Cp1252ToUtf8(section) + "] " + Cp1252ToUtf8(key) + "=" +
          Cp1252ToUtf8(value));
    files_.WriteProfile(path, section, key, value);
    return true;
}

// --- files -----------------------------------------------------------------

std::uint32_t Simulation::GetFileAttributes(const std::string& path) {
    VirtualFile* f = files_.Find(path);
    return f ? f->attributes : kInvalidFileAttributes;
}

bool Simulation::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
    VirtualFile* f = files_.Find(path);
    if (f == nullptr) return false;
    f->attributes = attributes;
    return true;
}

bool Simulation::CreateDirectory(const std::string& path) {
    if (!files_.MakeFolder(path)) return false;
    Write("fs mkdir " + QuoteText(Cp1252ToUtf8(path)));
    return true;
}

std::vector<std::string> Simulation::FindFiles(const std::string& pattern) {
    return files_.Match(pattern);
}

bool Simulation::ReadTextFile(const std::string& path, std::string& content) {
    VirtualFile* f = files_.Find(path);
    if (f == nullptr || f->kind == FileKind::Folder) return false;
    content.clear();
    if (f->kind == FileKind::Profile) {
        for (const IniSection& s : f->sections) {
            content += "[" + s.name + "]\n";
            for (const IniEntry& e : s.entries) content += e.key + "=" + e.value + "\n";
        }
        return true;
    }
    for (std::size_t i = 0; i < f->content.size(); ++i) {
        if (f->content[i] == '\r' && i + 1 < f->content.size() && f->content[i + 1] == '\n') continue;
        content += f->content[i];
    }
    return true;
}

bool Simulation::GetCreationTime(const std::string& path, std::uint64_t& fileTime) {
    VirtualFile* f = files_.Find(path);
    if (f == nullptr || f->kind == FileKind::Folder) return false;
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
    fileTime = static_cast<std::uint64_t>(f->created + kSecondsFrom1601To1970) * 10000000u;
    return true;
}

// --- shell -----------------------------------------------------------------

void Simulation::ShellExecute(Hwnd, const std::string& verb, const std::string& file,
                              const std::string& parameters, const std::string& folder,
                              int show) {
    Write("shell " + Cp1252ToUtf8(verb) + " " + QuoteText(Cp1252ToUtf8(file)) + " " +
          QuoteText(Cp1252ToUtf8(parameters)) + " " + QuoteText(Cp1252ToUtf8(folder)) + " " +
          std::to_string(show));
}

bool Simulation::NotifyIcon(TrayOp op, const TrayIconRecord& record) {
    auto icon = [&] {
        auto it = icons_.find(record.icon);
        return it != icons_.end() ? it->second : Hex(record.icon);
    };
    std::string tip = QuoteText(Cp1252ToUtf8(record.tip));
    bool ok;
    std::string line;
    switch (op) {
        case TrayOp::Add:
            ok = !trayPresent_;
            line = "tray add " + icon() + " " + tip;
            if (ok) trayPresent_ = true;
            break;
        case TrayOp::Modify:
            ok = trayPresent_;
            line = "tray modify " + icon() + " " + tip;
            break;
        case TrayOp::Delete:
        default:
            ok = trayPresent_;
            line = "tray delete";
            trayPresent_ = false;
            break;
    }
    Write(ok ? line : line + " failed");
    return ok;
}

IconHandle Simulation::LoadIconFile(const std::string& path) {
    VirtualFile* f = files_.Find(path);
    if (f == nullptr || f->kind != FileKind::Icon) return 0;
    IconHandle h = nextIcon_++;
    icons_[h] = QuoteText(Cp1252ToUtf8(path));
    return h;
}

IconHandle Simulation::LoadIconResource(int id) {
    if (id == 129) {
        icons_[1] = "connect";
        return 1;
    }
    if (id == 130) {
        icons_[2] = "disconnect";
        return 2;
    }
    return 0;
}

// --- text, devices, system, observer -------------------------------------------

bool Simulation::AnsiToWide(const std::string& ansi, std::u16string& wide) {
    wide = Cp1252ToUtf16(ansi);
    return true;
}

bool Simulation::WideToAnsi(const std::u16string& wide, std::string& ansi) {
    ansi = Utf16ToCp1252(wide);
    return true;
}


bool Simulation::ToLocalTime(std::int64_t seconds, LocalTimeParts& parts) {
    if (seconds < 0) return false;
    // The time zone is UTC: days since 1970 to a civil date.
    const std::int64_t days = seconds / 86400, rest = seconds % 86400;
    const std::int64_t z = days + 719468, era = z / 146097, doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    parts.year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    parts.month = static_cast<int>(month);
    parts.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    parts.hour = static_cast<int>(rest / 3600);
    parts.minute = static_cast<int>(rest % 3600 / 60);
    return true;
}

bool Simulation::GetVersion(OsVersion& version) {
    const std::size_t dot = windowsVersion_.find('.');
    version = OsVersion{};
    version.major = static_cast<std::uint32_t>(std::stoul(windowsVersion_.substr(0, dot)));
    version.minor = static_cast<std::uint32_t>(std::stoul(windowsVersion_.substr(dot + 1)));
    version.platformId = 2;
    return true;
}

void Simulation::KeyAction(int code, int count, bool released) {
    Write("action " + std::to_string(code) + " " + std::to_string(count) + " " +
          std::to_string(released ? 1 : 0));
}

void Simulation::SoundLoad(const std::string& file) {
    Write("sound load " + QuoteText(Cp1252ToUtf8(file)));
}

void Simulation::RecorderStart(const std::string& device, const std::string& file) {
    Write("recorder start " + QuoteText(Cp1252ToUtf8(device)) + " " + QuoteText(Cp1252ToUtf8(file)));
}

void Simulation::RecorderStop() { Write("recorder stop"); }

void Simulation::WriteLine(const std::string& line) { Write("log " + Cp1252ToUtf8(line)); }

}  // namespace calvox::sim

namespace calvox::sim {

// --- the handset driver's control object ------------------------------------------

DriverObject Simulation::Create(const Guid& classId, const Guid& interfaceId) {
    if (!driver_.installed || !(classId == kDriverClassId) || !(interfaceId == kDriverInterfaceId))
        return 0;
    return 1;
}

int Simulation::Set(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) {
    if (object != 1 || property != kDriverProperty || block == nullptr || size < kDriverCommandSize)
        return 0;
    const auto* b = static_cast<const std::uint8_t*>(block);
    auto at = [&](std::size_t o) {
        return static_cast<std::uint32_t>(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16)) |
               (std::uint32_t{b[o + 3]} << 24);
    };
    const std::uint32_t operation = at(0), channel = at(4);
    if (operation == DRIVER_QUERY) {
        Write("driver-query " + std::to_string(channel));
        auto it = driver_.status.find(channel);
        if (driver_.refuse || (it != driver_.status.end() && !it->second)) return 0;
        driver_.lastReply = it == driver_.status.end() ? 0 : *it->second;
        return 1;
    }
    if (operation == DRIVER_START) {
        std::u16string path;
        for (std::size_t i = 8; i + 1 < 520; i += 2) {
            const char16_t c = static_cast<char16_t>(b[i] | (b[i + 1] << 8));
            if (c == 0) break;
            path += c;
        }
        const std::u16string prefix = u"\\DosDevices\\";
        if (path.compare(0, prefix.size(), prefix) == 0) path.erase(0, prefix.size());
        Write("driver start " + std::to_string(channel) + " " +
              QuoteText(Cp1252ToUtf8(Utf16ToCp1252(path))));
    } else {
        Write("driver stop " + std::to_string(channel));
    }
    return driver_.refuse ? 0 : 1;
}

int Simulation::Get(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) {
    if (object != 1 || property != kDriverProperty || block == nullptr || size < kDriverCommandSize)
        return 0;
    auto* b = static_cast<std::uint8_t*>(block);
    const auto reply = static_cast<std::uint32_t>(driver_.lastReply);
    for (int i = 0; i < 4; ++i) b[8 + i] = static_cast<std::uint8_t>(reply >> (8 * i));
    return 1;
}

}  // namespace calvox::sim
