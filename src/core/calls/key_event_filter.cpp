#include "calls/key_event_filter.h"

#include "base/hub_messages.h"
#include "calls/call_actions.h"
#include "calls/key_handler.h"
#include "handset/mcu_protocol.h"

namespace calvox {

namespace {
constexpr int kVkBack = 0x08;

bool InKeyTable(int slot) { return slot >= 0 && slot < kKeySlots; }

// So an owner learns a keypad's slots by pressing its keys: each press with
// the function the key table gives it.
void LogKeyPress(DiagnosticLog& log, const Settings& s, bool capsActive, int slot) {
    if (!log.Enabled()) return;
    std::string line = "key slot " + std::to_string(slot) + " -> ";
    if (!InKeyTable(slot)) {
        log.Write(line + "nothing (slots are 0-63)");
        return;
    }
    const int f = s.keyTable[slot];
    if (capsActive && f != CAPSLOCK)
        log.Write(line + KeyFunctionText(s.capsKeyTable[slot]) + " (CAPSKEYDEFINE)");
    else
        log.Write(line + KeyFunctionText(f));
}
}  // namespace

bool KeyEventFilter::HeldFunction(int& f, int& n) {
    const Settings& s = settings_;
    switch (f) {
        case UP:
        case DOWN:
            n = 0;
            return true;
        case NUMBER_0:
            // A long 0 replaces the 0 already typed by a plus sign.
            if (n != 6) return false;
            automation_.PostKeyToAddressBar(kVkBack);
            f = NUMBER_PLUS;
            n = 0;
            return true;
        case NUMBER_4:
        case NUMBER_6:
        case NUMBER_STAR:
            if (!s.keyComposite || n % 6 != 0) return false;
            f = f == NUMBER_4 ? NUMBER_4_LONG : f == NUMBER_6 ? NUMBER_6_LONG : SKYPE;
            n = 0;
            return true;
        case NUMBER_HASH:
            if (!s.keyComposite || n != 6) return false;
            f = CONTACT_LIST;
            n = 0;
            return true;
        default:
            return false;
    }
}

void KeyEventFilter::OnKeyDown(int slot, int n) {
    const Settings& s = settings_;
    if (n == 0) LogKeyPress(log_, s, capsActive_, slot);
    if (s.keyUpMode) return;
    ++keyDownCount_;
    if (!InKeyTable(slot)) return;
    int f = s.keyTable[slot];
    if (f == CAPSLOCK) {
        capsActive_ = true;
        return;
    }
    if (capsActive_) f = s.capsKeyTable[slot];

    if (n > 0) {
        if (!HeldFunction(f, n)) return;
    } else if (s.keyComposite && (f == HAND_OFF || f == NUMBER_4 || f == NUMBER_6 ||
                                  f == NUMBER_HASH || f == NUMBER_STAR)) {
        // Their short press is delivered on release.
        return;
    }
    actions_.HandleKeyAction(f, n, false);
    if (s.buzzerEnable) buzzer_.Signal();
}

void KeyEventFilter::OnKeyUp(int slot, int n) {
    const Settings& s = settings_;
    if (!InKeyTable(slot)) return;
    int f = s.keyTable[slot];
    if (f == HOOKBUTTON) {
        actions_.HandleKeyAction(HOOKBUTTON, n, true);
        return;
    }
    if (f == CAPSLOCK) {
        capsActive_ = false;
        return;
    }
    if (s.keyUpMode) {
        if (n >= 6) {
            switch (f) {
                case NUMBER_0: f = NUMBER_PLUS; break;
                case NUMBER_STAR: f = SKYPE; break;
                case NUMBER_HASH: f = CONTACT_LIST; break;
                case NUMBER_4: f = NUMBER_4_LONG; break;
                case NUMBER_6: f = NUMBER_6_LONG; break;
                case HAND_OFF: f = BACKSPACE; break;
                default: break;
            }
        }
        actions_.HandleKeyAction(f, 0, true);
        return;
    }
    if (!s.keyComposite) return;
    if (f == HAND_OFF) {
        actions_.HandleKeyAction(n < 6 ? HAND_OFF : BACKSPACE, 0, true);
    } else if ((f == NUMBER_4 || f == NUMBER_6 || f == NUMBER_STAR || f == NUMBER_HASH) && n <= 5) {
        actions_.HandleKeyAction(f, 0, true);
    }
}

void KeyEventFilter::OnMcuKey(int code, int r) {
    if (r == 0) LogKeyPress(log_, settings_, false, code);
    if (!InKeyTable(code)) return;
    const int f = settings_.keyTable[code];
    if (r > 0 && f != UP && f != DOWN && !(f == NUMBER_0 && r == 4)) return;
    actions_.HandleKeyAction(f, r, false);
    if (f == DIALING) display_.Clear();
}

void KeyEventFilter::OnMcuAction(int action) {
    if (action == static_cast<int>(McuAction::Ignored)) return;
    if (answeringMachine_.IsBusy()) {
        // Digits go to the answering machine's menu; '*' and '#' do not.
        const char c = McuDialCharacter(action);
        if (c >= '0' && c <= '9') {
            answeringMachine_.OnDigit(c);
            return;
        }
    }
    actions_.HandleKeyAction(action, 0, false);
}

void KeyEventFilter::OnMessage(unsigned message, WParam wParam, LParam lParam) {
    // Slots arrive as unsigned message parameters; anything past the table is
    // dropped by the handlers.
    const int first = wParam > 0xFFFF ? 0xFFFF : static_cast<int>(wParam);
    const int second = static_cast<int>(lParam);
    switch (message) {
        case HUBM_KEY_DOWN:
            OnKeyDown(first, second);
            break;
        case HUBM_KEY_UP:
            OnKeyUp(first, second);
            break;
        case HUBM_MCU_KEY:
            OnMcuKey(first, second);
            break;
        case HUBM_MCU_ACTION:
            OnMcuAction(first);
            break;
        default: break;
    }
}

}  // namespace calvox
