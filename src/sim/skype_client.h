// The Skype client in the virtual Windows: its API window and the windows of
// its main form, what it answers the program's texts, and what posted
// messages and synthesized input do to its windows.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_port.h"
#include "sim/desktop.h"
#include "sim/script.h"
#include "sim/trace.h"

namespace calvox::sim {

class SkypeClient {
public:
    SkypeClient(TraceWrite write, Desktop& desktop) : write_(std::move(write)), desktop_(desktop) {}

    // One of the client's windows, as the window functions see it.
    struct Window {
        Hwnd handle = 0;
        Hwnd parent = 0;  // 0: top-level
        const char* className = "";
        Rect rect;
    };

    // --- what the scenario does to the client
    // The client starts with new windows in its layout.
    void Start();
    // Its windows are destroyed; their handles stay dead.
    void Exit();
    // "standard", "filterbar", "tntedit", "nopages" or "none".
    void SetLayout(std::string layout);
    void SetAnswersDiscover(bool answer) { answerDiscover_ = answer; }
    // The client returns `result` for the next `count` texts (for ever without a count).
    void SetReturns(LResult result, std::optional<std::int64_t> count);
    void ShowHistory(bool history) { historyShowing_ = history; }
    void SetAddressText(std::string cp1252) { addressText_ = std::move(cp1252); }
    // A text the client sent: what it told of itself, for `ring`.
    void NoteSentText(const std::string& text);
    // What the client says of a new incoming call from `handle`, the program's
    // questions answered in the order it asks them.
    std::vector<std::string> RingTexts(std::optional<std::int64_t> callId,
                                       const std::string& handle, std::int64_t now) const;

    bool Exists() const { return exists_; }
    Hwnd Api() const { return api_; }
    Hwnd MainForm() const { return mainForm_; }
    // A window role of the client's ("mainform"...); false for another role.
    bool RoleWindow(const std::string& role, Hwnd& window) const;

    // --- what the program does to the client
    // The client answers the discover broadcast; false when it does not.
    bool AnswersDiscover() const { return exists_ && answerDiscover_; }
    // A WM_COPYDATA to the API window; what the client returns.
    LResult ReceiveText(const char* data, std::uint32_t cbData);
    // In the order EnumWindows and EnumChildWindows visit them.
    std::vector<Window> Windows() const;
    std::optional<Window> Find(Hwnd window) const;
    // The deepest window under a point of the main form; 0 outside it.
    Hwnd WindowAt(int x, int y) const;
    bool GetText(Hwnd window, std::string& text);
    LResult SetText(Hwnd window, const char* text);
    void Posted(Hwnd window, unsigned message, WParam wParam, LParam lParam);
    void KeyInput(std::uint16_t virtualKey, bool up);
    // A click brings the client forward and gives the window the focus.
    void Clicked(Hwnd window);

private:
    // A key typed into the address bar.
    void TypeKey(std::uint16_t virtualKey, bool shift);
    void Trace(const char* how, Hwnd window, unsigned message, WParam wParam,
               const std::string& lParam);

    TraceWrite write_;
    Desktop& desktop_;
    bool exists_ = false;
    Hwnd api_ = 0, mainForm_ = 0, pageControl_ = 0, contactList_ = 0, historyList_ = 0,
         addressBar_ = 0;
    Hwnd addressHolder_ = 0;  // the bar or filter bar around the edit
    std::string addressText_;
    bool historyShowing_ = false;
    bool pageControlPressed_ = false;
    Hwnd focus_ = 0;  // the window that takes typed keys
    bool shiftDown_ = false;
    bool answerDiscover_ = true;
    LResult returns_ = 1;
    std::optional<std::int64_t> returnsCount_;
    std::string layout_ = "standard";
    // What the client has told of itself, for `ring`: its contacts'
    // full names by handle, and the highest call id it has named.
    std::map<std::string, std::string> fullNames_;
    std::int64_t lastCallId_ = 0;
};

}  // namespace calvox::sim
