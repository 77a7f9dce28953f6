#include "sim/words.h"

#include <cstdio>

#include "base/hub_messages.h"
#include "sim/arguments.h"
#include "sim/codepage.h"
#include "sim/runner.h"
#include "sim/world.h"

namespace calvox::sim {
namespace {

constexpr Guid kOtherClass = {
    0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

// ---- what the handlers share -----------------------------------------------------

std::string Done() { return {}; }

// A text as the client sends it: its terminator counted.
std::string WithTerminator(const std::string& text) {
    return std::string(text.c_str(), text.size() + 1);
}

// A token the parser has checked to be a number.
std::int64_t NumberOf(const Token& t) {
    std::int64_t v = 0;
    ParseNumber(t.text, v);
    return v;
}

std::uint8_t HexByteOf(const Token& t) {
    std::uint8_t b = 0;
    ParseHexByte(t.text, b);
    return b;
}

// A text the parser has checked to be in code page 1252.
std::string Cp1252(const std::string& utf8) {
    std::string text;
    Utf8ToCp1252(utf8, text);
    return text;
}

// A line that runs as part of `step`'s line.
ScriptLine PartOf(const ScriptLine& step, const char* word, std::string text) {
    ScriptLine part;
    part.lineNo = step.lineNo;
    part.word = word;
    part.text = std::move(text);
    return part;
}

std::string Press(Runner& r, const ScriptLine& l) {
    World& w = r.world();
    std::vector<InputReport> reports;
    if (std::string why = w.KeyPress(l.text, reports); !why.empty()) return why;
    w.handsets.SendReport(w.handsets.InUse(), reports.front());
    // The release comes when the program has taken the press.
    for (std::size_t i = 1; i < reports.size(); ++i) {
        ScriptLine release = PartOf(l, "report", {});
        for (std::uint8_t b : reports[i]) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02x", b);
            release.args.push_back({hex, false});
        }
        r.Then(std::move(release), false);
    }
    return Done();
}

std::string Plug(Runner& r, const ScriptLine& l) {
    r.world().PlugHandset(l.args.empty() ? 0 : static_cast<int>(NumberOf(l.args[0])) - 1,
                          l.word == "plug");
    return Done();
}

std::string PlugRefusal(const World& w, const ScriptLine& l) { return w.PlugRefusal(l); }

std::string DeviceChange(Runner& r, const ScriptLine& l) {
    World& w = r.world();
    const std::string& kind = l.args[0].text;
    const Guid guid = kind == "audio" ? kAudioInterfaceClass
                      : kind == "hid" ? w.handsets.GetHidGuid()
                                      : kOtherClass;
    w.SendDeviceChange(l.word == "arrive" ? DeviceInterfaceChange::Arrived
                                         : DeviceInterfaceChange::Removed,
                       guid);
    return Done();
}

std::string MixerSet(Runner& r, const ScriptLine& l) {
    World& w = r.world();
    const bool onoff = l.args[1].text == "onoff";
    const std::string name = onoff ? Cp1252(l.args[2].text) : std::string();
    std::vector<std::uint32_t> values;
    for (std::size_t i = onoff ? 3 : 2; i < l.args.size(); ++i)
        values.push_back(static_cast<std::uint32_t>(NumberOf(l.args[i])));
    std::string error;
    if (!w.mixers.SetFromOutside(w.HandsetOfStep(), l.args[0].text, l.args[1].text, name, values,
                                 error))
        return error;
    return Done();
}

// ---- the table --------------------------------------------------------------------

const Word kWords[] = {
    {"ini", "[SECTION] KEY=VALUE", "a line of C:\\Calvox\\Calvox.ini", Where::World,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         w.files.disk().WriteProfile(kSettingsPath, Cp1252(l.section), Cp1252(l.key),
                                     Cp1252(l.value));
         return Done();
     },
     Form::Ini},
    {"time", "EPOCH", "the wall clock at virtual time 0 (seconds since 1970)", Where::World,
     [](Runner& r, const ScriptLine& l) {
         r.world().clock.SetEpoch(NumberOf(l.args[0]));
         return Done();
     },
     Form::Tokens, OneCount},
    {"handset",
     "[vid=HHHH] [pid=HHHH] [product=\"TEXT\"] [mcu=none|HH] [audio=\"NAME\"] [in=N] [out=N] "
     "[total=N] [interfaces=N]",
     "a handset is plugged in", Where::World,
     [](Runner& r, const ScriptLine& l) {
         r.world().AddHandset(HandsetSpecFromOptions(l.args));
         return Done();
     },
     Form::Tokens, CheckHandset},
    {"mixer", "\"NAME\"", "one more mixer device", Where::World,
     [](Runner& r, const ScriptLine& l) {
         r.world().mixers.Declare(Cp1252(l.args[0].text));
         return Done();
     },
     Form::Tokens, OneName},
    {"client", "", "the Skype client runs", Where::World,
     [](Runner& r, const ScriptLine&) {
         World& w = r.world();
         if (!w.client.Exists()) w.client.Start();
         return Done();
     }},
    {"client-windows", "standard|filterbar|tntedit|nopages|none", "the client's window layout",
     Where::World,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         w.client.SetLayout(l.args[0].text);
         // The layout may come after `client`: its windows follow it.
         if (w.client.Exists()) w.client.Start();
         return Done();
     },
     Form::Tokens, nullptr, "standard|filterbar|tntedit|nopages|none"},
    {"companion", "", "the companion voicemail program is installed", Where::World,
     [](Runner& r, const ScriptLine&) {
         r.world().files.disk().Create("C:\\Calvox\\Velmora.exe", FileKind::Empty);
         return Done();
     }},
    {"driver", "[refuse]", "the handset driver's control object is installed", Where::World,
     [](Runner& r, const ScriptLine& l) {
         r.world().driver.Install(!l.args.empty() && l.args[0].text == "refuse");
         return Done();
     },
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 0, 1, r) && (l.args.empty() || OneOf(l.args[0], "refuse", r));
     }},
    {"windows-version", "MAJOR.MINOR", "what the platform reports (default 5.1)", Where::World,
     [](Runner& r, const ScriptLine& l) {
         r.world().system.SetVersion(l.args[0].text);
         return Done();
     },
     Form::Tokens, CheckVersion},
    {"ui-language", "en-US|zh-TW", "the user interface language", Where::World,
     [](Runner& r, const ScriptLine& l) {
         r.world().shell.SetLanguage(l.args[0].text);
         return Done();
     },
     Form::Tokens, nullptr, "en-US|zh-TW"},
    {"instance-running", "", "another Calvox already runs", Where::World,
     [](Runner& r, const ScriptLine&) {
         r.world().desktop.StartInstance();
         return Done();
     }},
    {"registry", "KEY\\VALUE = DATA", "a registry value exists (DATA \"text\" or a number)",
     Where::World,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         const Token& data = l.args[0];
         std::int64_t number = 0;
         if (data.quoted)
             w.registry.Set(Cp1252(l.key), Cp1252(l.value), Cp1252(data.text));
         else if (ParseNumber(data.text, number))
             w.registry.Set(Cp1252(l.key), Cp1252(l.value), static_cast<std::uint32_t>(number));
         return Done();
     },
     Form::Registry},
    {"file", "PATH [wav CH RATE BITS SECONDS | text \"TEXT\" | icon] [created=SECONDS]",
     "a file exists (before start) or is made (a step)", Where::Both,
     [](Runner& r, const ScriptLine& l) {
         r.world().files.ApplyFileLine(l, !r.Started());
         return Done();
     },
     Form::Tokens, CheckFile},
    {"trace", "scan", "from here on the keypad scan's reports appear on hid<", Where::Both,
     [](Runner& r, const ScriptLine&) {
         r.world().traceScan = true;
         return Done();
     },
     Form::Tokens, nullptr, "scan"},
    {"disk-free", "BYTES",
     "from now on the disk has room for BYTES more; a write that does not fit writes what "
     "fits and fails",
     Where::Both,
     [](Runner& r, const ScriptLine& l) {
         r.world().files.SetDiskFree(NumberOf(l.args[0]));
         return Done();
     },
     Form::Tokens, OneCount},
    {"start", "[COMMAND LINE]", "the program starts", Where::Start,
     [](Runner&, const ScriptLine&) { return std::string("the program is already running"); },
     Form::CommandLine},
    {"start-second", "[COMMAND LINE]", "a second process of the program starts and ends",
     Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.RunProcess(l.text, true);
         return Done();
     },
     Form::CommandLine},
    {"skype", "TEXT", "the client sends TEXT (for example skype CALL 4711 STATUS RINGING)",
     Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         w.client.NoteSentText(l.text);
         w.SendText(w.ClientApiOrDead(), WithTerminator(l.text));
         return Done();
     },
     Form::Text},
    {"skype-from-other", "TEXT", "the same from a window that is not the client's", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         w.SendText(w.desktop.other(), WithTerminator(l.text));
         return Done();
     },
     Form::Text},
    {"skype-bytes", "HH ...", "the client sends exactly these bytes", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         std::string bytes;
         for (const Token& t : l.args) bytes += static_cast<char>(HexByteOf(t));
         w.SendText(w.ClientApiOrDead(), std::move(bytes));
         return Done();
     },
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 1, kAnyCount, r) &&
                std::all_of(l.args.begin(), l.args.end(),
                            [&r](const Token& t) { return HexByte(t, r); });
     }},
    {"skype-empty", "", "the client sends an empty WM_COPYDATA", Where::Step,
     [](Runner& r, const ScriptLine&) {
         World& w = r.world();
         w.SendText(w.ClientApiOrDead(), {});
         return Done();
     }},
    {"ring", "[CALLID] HANDLE",
     "a call from a contact rings. The client sends its notifications of a new incoming "
     "call from HANDLE, with the full name it last gave HANDLE; CALLID is one more than the "
     "last call's when left out",
     Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         std::optional<std::int64_t> id;
         if (l.args.size() == 2) id = NumberOf(l.args[0]);
         for (const std::string& text : w.client.RingTexts(id, l.args.back().text, w.clock.Now()))
             r.Then(PartOf(l, "skype", text), true);
         return Done();
     },
     Form::Tokens, CheckRing},
    {"attach", "STATUS", "the client posts its attach answer with this status", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         w.windows.PostToHub(w.windows.RegisterWindowMessage("SkypeControlAPIAttach"),
                             w.ClientApiOrDead(), static_cast<LParam>(NumberOf(l.args[0])));
         return Done();
     },
     Form::Tokens, OneNumber},
    {"client-returns", "N [COUNT]", "the client returns N for the next COUNT WM_COPYDATA",
     Where::Step,
     [](Runner& r, const ScriptLine& l) {
         std::optional<std::int64_t> count;
         if (l.args.size() > 1) count = NumberOf(l.args[1]);
         r.world().client.SetReturns(static_cast<LResult>(NumberOf(l.args[0])), count);
         return Done();
     },
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 1, 2, r) && Number(l.args[0], r) &&
                (l.args.size() == 1 || NumberIn(l.args[1], 0, kMax, r));
     }},
    {"client-discover", "answer|ignore", "whether the client answers the discover broadcast",
     Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.world().client.SetAnswersDiscover(l.args[0].text == "answer");
         return Done();
     },
     Form::Tokens, nullptr, "answer|ignore"},
    {"client-exit", "", "the client's windows are destroyed", Where::Step,
     [](Runner& r, const ScriptLine&) {
         r.world().client.Exit();
         return Done();
     }},
    {"client-start", "", "a client starts again with new windows", Where::Step,
     [](Runner& r, const ScriptLine&) {
         r.world().client.Start();
         return Done();
     }},
    {"client-page", "contacts|history", "the client shows that page", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.world().client.ShowHistory(l.args[0].text == "history");
         return Done();
     },
     Form::Tokens, nullptr, "contacts|history"},
    {"addressbar", "TEXT", "the client's address bar holds TEXT", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.world().client.SetAddressText(Cp1252(l.text));
         return Done();
     },
     Form::Text},
    {"foreground", "client|other", "which window is in the foreground", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         w.desktop.foreground =
             l.args[0].text == "client" ? w.client.MainForm() : w.desktop.other();
         return Done();
     },
     Form::Tokens, nullptr, "client|other"},
    {"press", "FUNCTION",
     "you press the handset's key for FUNCTION. It is the first slot the key table "
     "([KEYDEFINE] in Calvox.ini) gives FUNCTION; the handset sends it as its "
     "microcontroller's key event, or without one as a keypad press and release in the "
     "scan mode",
     Where::Step, Press, Form::Text, CheckPress},
    {"report", "B1 B2 B3 B4", "the open handset sends an input report (hexadecimal bytes)",
     Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         InputReport bytes{};
         for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = HexByteOf(l.args[i]);
         w.handsets.SendReport(w.handsets.InUse(), bytes);
         return Done();
     },
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 4, 4, r) && HexByte(l.args[0], r) && HexByte(l.args[1], r) &&
                HexByte(l.args[2], r) && HexByte(l.args[3], r);
     }},
    {"post", "MESSAGE WPARAM LPARAM", "a message is posted to the hub window", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         unsigned message = 0;
         std::int64_t wp = 0, lp = 0;
         std::string error;
         if (!w.ResolveMessage(l.args[0], message, error) ||
             !w.ResolveParam(l.args[1], wp, error) || !w.ResolveParam(l.args[2], lp, error))
             return error;
         w.windows.PostToHub(message, static_cast<WParam>(wp), static_cast<LParam>(lp));
         return Done();
     },
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 3, 3, r) && Message(l.args[0], r) && Param(l.args[1], r) &&
                Param(l.args[2], r);
     }},
    {"plug",
     "[N]",
     "handset N (1) is plugged in",
     Where::Step,
     Plug,
     Form::Tokens,
     HandsetNumber,
     {},
     PlugRefusal},
    {"unplug",
     "[N]",
     "handset N (1) is unplugged",
     Where::Step,
     Plug,
     Form::Tokens,
     HandsetNumber,
     {},
     PlugRefusal},
    {"arrive", "audio|hid|other", "one device-interface arrival", Where::Step, DeviceChange,
     Form::Tokens, nullptr, "audio|hid|other"},
    {"remove", "audio|hid|other", "one device-interface removal", Where::Step, DeviceChange,
     Form::Tokens, nullptr, "audio|hid|other"},
    {"mixer-event", "line|control", "the handset's mixer reports a change", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         const bool line = l.args[0].text == "line";
         for (const VirtualMixers::Callback& c : w.mixers.CallbacksOf(w.HandsetOfStep()))
             w.windows.PostMessage(c.window, line ? kMixmLineChange : kMixmControlChange, c.mixer,
                                   static_cast<LParam>(line ? VirtualMixers::ChangedLineId()
                                                            : VirtualMixers::ChangedControlId()));
         return Done();
     },
     Form::Tokens, nullptr, "line|control"},
    {"mixer-set", "LINE CONTROL VALUE...", "a mixer control is changed from outside", Where::Step,
     MixerSet, Form::Tokens, CheckMixerSet},
    {"ini-set", "[SECTION] KEY=VALUE", "another program changes Calvox.ini", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.world().files.disk().WriteProfile(kSettingsPath, Cp1252(l.section), Cp1252(l.key),
                                             Cp1252(l.value));
         return Done();
     },
     Form::Ini},
    {"ini-delete", "[SECTION] KEY", "another program deletes a key of Calvox.ini", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.world().files.disk().DeleteProfileKey(kSettingsPath, Cp1252(l.section), Cp1252(l.key));
         return Done();
     },
     Form::IniKey},
    {"companion-discover", "", "the companion announces itself", Where::Step,
     [](Runner& r, const ScriptLine&) {
         World& w = r.world();
         const Hwnd companion = w.companion.Announce();
         w.windows.PostToHub(w.windows.RegisterWindowMessage("VMSetting_Discover"), companion, 0);
         return Done();
     }},
    {"companion-changing", "CODE", "the companion posts a change with this code", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         World& w = r.world();
         w.windows.PostToHub(w.windows.RegisterWindowMessage("VMSetting_Changing"),
                             static_cast<WParam>(NumberOf(l.args[0])), 0);
         return Done();
     },
     Form::Tokens, OneNumber},
    {"companion-exit", "", "the companion closes", Where::Step,
     [](Runner& r, const ScriptLine&) {
         r.world().companion.Exit();
         return Done();
     }},
    {"tray", "MOUSEMESSAGE", "the shell reports a tray icon mouse message (for example tray 0x205)",
     Where::Step,
     [](Runner& r, const ScriptLine& l) {
         unsigned mouse = 0;
         std::string error;
         if (!r.world().ResolveMessage(l.args[0], mouse, error)) return error;
         r.world().windows.PostToHub(HUBM_TRAY, 1, static_cast<LParam>(mouse));
         return Done();
     },
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 1, 1, r) && (IsMessageName(l.args[0]) || Number(l.args[0], r));
     }},
    {"menu-choose", "ID|none", "what the next popup menu returns", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         const bool none = l.args[0].text == "none";
         r.world().windows.ChooseNextMenu(none ? 0 : static_cast<unsigned>(NumberOf(l.args[0])));
         return Done();
     },
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 1, 1, r) && (l.args[0].text == "none" || Number(l.args[0], r));
     }},
    {"right-click", "", "the tray icon is right-clicked. At the prompt you choose from its menu",
     Where::Step,
     [](Runner& r, const ScriptLine&) {
         // The person at the prompt right-clicks the icon and chooses from the menu.
         r.world().windows.PostToHub(HUBM_TRAY, 1, static_cast<LParam>(wm::kRButtonUp));
         return Done();
     }},
    {"explorer-restart", "", "the taskbar is created again and broadcasts \"TaskbarCreated\"",
     Where::Step,
     [](Runner& r, const ScriptLine&) {
         World& w = r.world();
         // The new taskbar starts empty and tells every top-level window.
         w.shell.RestartTaskbar();
         w.windows.SendToHub(w.windows.RegisterWindowMessage("TaskbarCreated"), 0, 0);
         return Done();
     }},
    {"driver-status", "CH VALUE|fail", "what a query of the driver's channel CH replies",
     Where::Step,
     [](Runner& r, const ScriptLine& l) {
         const auto channel = static_cast<std::uint32_t>(NumberOf(l.args[0]));
         std::int64_t value = 0;
         if (l.args[1].text == "fail")
             r.world().driver.SetStatus(channel, std::nullopt);
         else if (ParseNumber(l.args[1].text, value))
             r.world().driver.SetStatus(channel, static_cast<std::int32_t>(value));
         return Done();
     },
     Form::Tokens,
     [](const ScriptLine& l, std::string& r) {
         return ArgCount(l, 2, 2, r) && NumberIn(l.args[0], 0, kUInt32Max, r) &&
                (l.args[1].text == "fail" || NumberIn(l.args[1], kInt32Min, kUInt32Max, r));
     }},
    {"driver-refuse", "on|off", "every Set of the driver object fails / succeeds again",
     Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.world().driver.SetRefusing(l.args[0].text == "on");
         return Done();
     },
     Form::Tokens, nullptr, "on|off"},
    {"delete", "PATH", "a file is deleted", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.world().files.disk().Remove(FileSystem::Resolve(Cp1252(l.args[0].text)));
         return Done();
     },
     Form::Tokens, OneName},
    {"wait", "MS", "virtual time advances by MS", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.world().clock.WaitUntil(r.world().clock.Ms() + NumberOf(l.args[0]));
         return Done();
     },
     Form::Tokens, OneCount},
    {"wait-until", "MS", "virtual time advances to MS", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         VirtualClock& clock = r.world().clock;
         const std::int64_t until = NumberOf(l.args[0]);
         if (until < clock.Ms())
             return "wait-until " + std::to_string(until) + " is in the past (now " +
                    std::to_string(clock.Ms()) + ")";
         clock.WaitUntil(until);
         return Done();
     },
     Form::Tokens, OneCount},
    {"show-handset", "[CAPTION]", "print the handset's display (outside the trace)", Where::Step,
     [](Runner& r, const ScriptLine& l) {
         r.ShowHandset(l.text);
         return Done();
     },
     Form::Text},
    {"help", "[WORD]", "the command list, or what WORD does", Where::Prompt, nullptr, Form::Tokens,
     CheckHelp},
    {"quit", "", "leave the simulator", Where::Prompt, nullptr},
};

}  // namespace

std::span<const Word> Words() { return kWords; }

const Word* FindWord(std::string_view word) {
    for (const Word& c : kWords) {
        if (c.word == word) return &c;
    }
    return nullptr;
}

}  // namespace calvox::sim
