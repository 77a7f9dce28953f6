#include "sim/skype_client.h"

#include <algorithm>
#include <sstream>

#include "sim/codepage.h"

namespace calvox::sim {

namespace {

// The character a key types into an edit, 0 for none.
char CharOfKey(std::uint16_t vk, bool shift) {
    if (vk == 0x33 && shift) return '#';
    if (vk >= 0x30 && vk <= 0x39) return static_cast<char>(vk);
    if (vk == 0x6A) return '*';
    if (vk == 0x6B) return '+';
    return 0;
}

bool Inside(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

// --- what the scenario does ----------------------------------------------------

void SkypeClient::Start() {
    exists_ = true;
    mainForm_ = pageControl_ = contactList_ = historyList_ = addressBar_ = addressHolder_ = 0;
    api_ = desktop_.Make("client");
    if (layout_ != "none") mainForm_ = desktop_.Make("mainform");
    if (layout_ != "none" && layout_ != "nopages") {
        pageControl_ = desktop_.Make("pagecontrol");
        contactList_ = desktop_.Make("contactlist");
        historyList_ = desktop_.Make("historylist");
    }
    if (layout_ != "none") {
        addressHolder_ = desktop_.Make(nullptr);
        addressBar_ = desktop_.Make("addressbar");
    }
    addressText_.clear();
    historyShowing_ = false;
    pageControlPressed_ = false;
    focus_ = 0;
    shiftDown_ = false;
    returns_ = 1;
    returnsCount_.reset();
}

void SkypeClient::Exit() {
    for (Hwnd h :
         {api_, mainForm_, pageControl_, contactList_, historyList_, addressBar_, addressHolder_})
        if (h != 0) desktop_.SetRole(h, "dead");
    if (desktop_.foreground == mainForm_) desktop_.foreground = desktop_.other();
    exists_ = false;
}

void SkypeClient::SetLayout(std::string layout) { layout_ = std::move(layout); }

void SkypeClient::SetReturns(LResult result, std::optional<std::int64_t> count) {
    returns_ = result;
    returnsCount_ = count;
    if (returnsCount_ && *returnsCount_ <= 0) {
        returnsCount_.reset();
        returns_ = 1;
    }
}

void SkypeClient::NoteSentText(const std::string& text) {
    std::istringstream words(text);
    std::string object, id, property;
    words >> object >> id >> property;
    if (object == "CALL") {
        std::int64_t n = 0;
        if (ParseNumber(id, n)) lastCallId_ = std::max(lastCallId_, n);
    } else if (object == "USER" && property == "FULLNAME") {
        std::string name;
        std::getline(words >> std::ws, name);
        fullNames_[id] = name;
    }
}

std::vector<std::string> SkypeClient::RingTexts(std::optional<std::int64_t> callId,
                                                const std::string& handle, std::int64_t now) const {
    const std::int64_t id = callId ? *callId : lastCallId_ + 1;
    const auto known = fullNames_.find(handle);
    const std::string name = known != fullNames_.end() ? known->second : handle;
    const std::string call = "CALL " + std::to_string(id) + " ";
    return {call + "STATUS RINGING",           call + "TIMESTAMP " + std::to_string(now),
            call + "TYPE INCOMING_P2P",        call + "PARTNER_DISPNAME " + name,
            call + "PARTNER_HANDLE " + handle, call + "STATUS RINGING"};
}

bool SkypeClient::RoleWindow(const std::string& role, Hwnd& window) const {
    const std::pair<const char*, Hwnd> roles[] = {{"client", api_},
                                                  {"mainform", mainForm_},
                                                  {"pagecontrol", pageControl_},
                                                  {"contactlist", contactList_},
                                                  {"historylist", historyList_},
                                                  {"addressbar", addressBar_}};
    for (const auto& [name, handle] : roles) {
        if (role == name) {
            window = handle;
            return true;
        }
    }
    return false;
}

// --- what the program does -------------------------------------------------------

LResult SkypeClient::ReceiveText(const char* data, std::uint32_t cbData) {
    std::size_t length = 0;
    while (data != nullptr && length < cbData && data[length] != '\0') ++length;
    std::string text = data ? std::string(data, length) : std::string();
    std::string line = "skype< " + text;
    if (cbData != length + 1) line += " [cb=" + std::to_string(cbData) + "]";
    write_(line);
    if (text == "FOCUS") desktop_.foreground = mainForm_;

    LResult result = returns_;
    if (returnsCount_) {
        if (--*returnsCount_ <= 0) {
            returnsCount_.reset();
            returns_ = 1;
        }
    }
    return result;
}

std::vector<SkypeClient::Window> SkypeClient::Windows() const {
    std::vector<Window> list;
    if (!exists_) return list;
    const bool filterBar = layout_ == "filterbar" || layout_ == "tntedit";
    list.push_back({api_, 0, "tSkApiWindow", {0, 0, 0, 0}});
    if (mainForm_) list.push_back({mainForm_, 0, "tSkMainForm.UnicodeClass", {0, 0, 800, 600}});
    if (addressHolder_)
        list.push_back({addressHolder_,
                        mainForm_,
                        filterBar ? "TFilterBar" : "tSkAddressbar.UnicodeClass",
                        {0, 40, 800, 70}});
    if (addressBar_)
        list.push_back({addressBar_,
                        addressHolder_,
                        layout_ == "filterbar" ? "TFilterbarEdit.UnicodeClass"
                        : layout_ == "tntedit" ? "TTntEdit.UnicodeClass"
                                               : "Edit",
                        {10, 45, 790, 65}});
    if (pageControl_) {
        list.push_back(
            {pageControl_, mainForm_, "TTntPageControl.UnicodeClass", {0, 100, 300, 600}});
        list.push_back(
            {contactList_, pageControl_, "tSkContactList.UnicodeClass", {0, 130, 300, 600}});
        list.push_back({historyList_, pageControl_, "tSkBgGrid.UnicodeClass", {0, 130, 300, 600}});
    }
    return list;
}

std::optional<SkypeClient::Window> SkypeClient::Find(Hwnd window) const {
    for (const Window& w : Windows())
        if (window != 0 && w.handle == window) return w;
    return std::nullopt;
}

Hwnd SkypeClient::WindowAt(int x, int y) const {
    Hwnd found = 0;
    // The deepest window that holds the point; of the two pages the one that shows.
    for (const Window& w : Windows()) {
        if (w.parent == 0 && w.handle != mainForm_) continue;
        if (w.handle == (historyShowing_ ? contactList_ : historyList_)) continue;
        if (Inside(w.rect, x, y)) found = w.handle;
    }
    return found;
}

void SkypeClient::Trace(const char* how, Hwnd window, unsigned message, WParam wParam,
                        const std::string& lParam) {
    write_(std::string("window ") + how + " " + desktop_.Role(window) + " " + MessageName(message) +
           " " + Hex(wParam) + " " + lParam);
}

bool SkypeClient::GetText(Hwnd window, std::string& text) {
    if (!Find(window)) return false;
    text = window == addressBar_ ? addressText_ : std::string();
    // The program's buffer, as it would offer it: 260 bytes, more for a longer text.
    const WParam size = std::max<WParam>(260, text.size() + 1);
    Trace("send", window, wm::kGetText, size, QuoteText(Cp1252ToUtf8(text)));
    return true;
}

LResult SkypeClient::SetText(Hwnd window, const char* text) {
    if (!Find(window)) return 0;
    const std::string value = text != nullptr ? text : "";
    Trace("send", window, wm::kSetText, 0, QuoteText(Cp1252ToUtf8(value)));
    if (window == addressBar_) addressText_ = value;
    return 1;
}

void SkypeClient::Posted(Hwnd window, unsigned message, WParam wParam, LParam lParam) {
    Trace("post", window, message, wParam, Hex(static_cast<std::uint64_t>(lParam)));
    if (window == pageControl_ && message == wm::kLButtonDown) {
        pageControlPressed_ = true;
    } else if (window == pageControl_ && message == wm::kLButtonUp) {
        // The contacts tab sits at the page control's top-left corner.
        if (pageControlPressed_ && lParam == MakePointParam(5, 5)) historyShowing_ = false;
        pageControlPressed_ = false;
    } else if (window == historyList_ && message == wm::kLButtonUp) {
        historyShowing_ = true;
    } else if (window == mainForm_ && message == wm::kSysCommand && wParam == kScMinimize) {
        if (desktop_.foreground == mainForm_) desktop_.foreground = desktop_.other();
    } else if (window == addressBar_ && message == wm::kChar) {
        if (wParam >= 0x20 && wParam < 0x100) addressText_ += static_cast<char>(wParam);
    } else if (window == addressBar_ && message == wm::kKeyDown) {
        // The client's own loop translates a posted key into its character.
        TypeKey(static_cast<std::uint16_t>(wParam), false);
    }
}

void SkypeClient::TypeKey(std::uint16_t virtualKey, bool shift) {
    if (virtualKey == 0x08) {
        if (!addressText_.empty()) addressText_.pop_back();
    } else if (char ch = CharOfKey(virtualKey, shift)) {
        addressText_ += ch;
    }
}

void SkypeClient::KeyInput(std::uint16_t virtualKey, bool up) {
    if (virtualKey == 0x10) {
        shiftDown_ = !up;
        return;
    }
    if (up || !exists_ || desktop_.foreground != mainForm_ || focus_ != addressBar_ ||
        addressBar_ == 0)
        return;
    TypeKey(virtualKey, shiftDown_);
}

void SkypeClient::Clicked(Hwnd window) {
    desktop_.foreground = mainForm_;
    focus_ = window;
}

}  // namespace calvox::sim
