#include "sim/key_press.h"

#include <algorithm>
#include <optional>

#include "base/hub_messages.h"
#include "config/settings.h"
#include "handset/mcu_commands.h"
#include "handset/report_decoder.h"

namespace calvox::sim {

namespace {

using Messages = std::vector<PostedMessage>;

bool Posts(const Messages& messages, unsigned message, int slot) {
    return std::any_of(messages.begin(), messages.end(), [&](const PostedMessage& m) {
        return m.message == message && m.wParam == static_cast<WParam>(slot);
    });
}

bool PostsOtherKeyDown(const Messages& messages, int slot) {
    return std::any_of(messages.begin(), messages.end(), [&](const PostedMessage& m) {
        return m.message == HUBM_KEY_DOWN && m.wParam != static_cast<WParam>(slot);
    });
}

// The first byte 2 of a report of type `b1` that the decoder, from its
// present state, reads as `wanted`; the decoder is left after that report.
template <typename Wanted>
std::optional<std::uint8_t> FindByte(ReportDecoder& decoder, std::uint8_t b1, Wanted wanted) {
    for (int b2 = 0; b2 <= 0xFF; ++b2) {
        ReportDecoder trial = decoder;
        const Messages messages =
            trial.Decode(b1, static_cast<std::uint8_t>(b2), 0, 0, true).messages;
        if (wanted(messages)) {
            decoder = trial;
            return static_cast<std::uint8_t>(b2);
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<InputReport> KeyPressReports(const KeypadMode& mode, int slot) {
    ReportDecoder decoder(mode.mcuKeys ? MCU_MODE : mode.scanMode, mode.pullHigh);
    if (mode.mcuKeys) {
        const auto key = FindByte(decoder, kMcuReport, [&](const Messages& m) {
            return Posts(m, HUBM_MCU_KEY, slot) && m.back().lParam == 0;
        });
        if (!key) return {};
        return {{kMcuReport, *key, 0, 0}};
    }
    const auto down = FindByte(decoder, kGpioReport, [&](const Messages& m) {
        return Posts(m, HUBM_KEY_DOWN, slot) && !PostsOtherKeyDown(m, slot);
    });
    if (!down) return {};
    const auto up = FindByte(decoder, kGpioReport, [&](const Messages& m) {
        return Posts(m, HUBM_KEY_UP, slot) && !Posts(m, HUBM_KEY_DOWN, slot) &&
               !PostsOtherKeyDown(m, slot);
    });
    if (!up) return {};
    return {{kGpioReport, *down, 0, 0}, {kGpioReport, *up, 0, 0}};
}

}  // namespace calvox::sim
