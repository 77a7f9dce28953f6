#include "handset/report_decoder.h"

#include <algorithm>

#include "base/hub_messages.h"
#include "config/settings.h"
#include "handset/mcu_commands.h"

namespace calvox {

int ResolveScanMode(int scanMode, int productType) {
    if (scanMode != SCAN_DEVICE_DEFAULT) return scanMode;
    return productType == 4 ? SCAN_2X3 : SCAN_4X5;
}

ScanPattern ScanPatternFor(int scanMode) {
    switch (scanMode) {
        case SCAN_4X4:
            return {{{0x01, 0x0F}, {0x02, 0x0F}, {0x04, 0x0F}, {0x08, 0x0F}}, false};
        case SCAN_4X5:
            return {{{0x01, 0x07}, {0x02, 0x07}, {0x04, 0x07}, {0x00, 0x07}}, false};
        case SCAN_2X3:
            return {{{0x01, 0x01}, {0x00, 0x01}}, false};
        case SCAN_2X2:
        case SCAN_1X8:
            return {{{0x00, 0x00}}, true};
        default:
            return {};
    }
}

ReportDecoder::ReportDecoder(int resolvedScanMode, bool gpioPullHigh)
    : mode_(resolvedScanMode), pullHigh_(gpioPullHigh) {
    if ((mode_ == SCAN_2X2 || mode_ == SCAN_1X8) && pullHigh_) keyState_.fill(0xFF);
}

ReportDecoder::Result ReportDecoder::Decode(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                                            std::uint8_t b4, bool scanning) {
    Result result;
    if (b1 & 0x0F) result.messages.push_back({HUBM_AUDIO_BUTTONS, WParam{b1 & 0x0Fu}, 0});

    const std::uint8_t type = b1 & kReportTypeMask;
    if (type == kGpioReport && scanning) {
        switch (mode_) {
            case SCAN_4X4:
            case SCAN_4X5:
            case SCAN_2X3:
                DecodeMatrix(b2, result);
                break;
            case SCAN_2X2:
                if (b1 & 0x04) {
                    result.messages.push_back({HUBM_KEY_DOWN, 0, 0});
                    result.messages.push_back({HUBM_SPEAKER_UNMUTE, 0, 0});
                }
                DecodeDirect(b2, 4, result);
                break;
            case SCAN_1X8:
                DecodeDirect(b2, 8, result);
                break;
            default:
                break;
        }
    } else if (type == kMcuReport) {
        result.messages.push_back({HUBM_MCU_EVENT, WParam{b2 + 256u * b3 + 65536u * b4}, 0});
        if (b2 >= static_cast<std::uint8_t>(McuReady::First) &&
            b2 <= static_cast<std::uint8_t>(McuReady::Last)) {
            result.mcuHello = true;
            result.messages.push_back({HUBM_MCU_READY, b2, 0});
        } else if (b2 >= static_cast<std::uint8_t>(McuRequest::CallContact) &&
                   b2 <= static_cast<std::uint8_t>(McuRequest::ShowContact)) {
            result.messages.push_back({HUBM_MCU_REQUEST, b2, LParam{b3}});
        } else if (b2 >= 0xA0 && b2 <= 0xBF) {
            result.messages.push_back({HUBM_MCU_ACTION, b2, 0});
        } else if (b2 < 0x80) {
            const int key = b2 & 0x3F;
            if (b2 & 0x40) ++mcuCounter_[key];
            else mcuCounter_[key] = 0;
            result.messages.push_back({HUBM_MCU_KEY, WParam(key), LParam{mcuCounter_[key]}});
        }
    }
    return result;
}

void ReportDecoder::DecodeMatrix(std::uint8_t b2, Result& result) {
    int row = 0;
    int firstColumnBit = 0;
    int columns = 0;
    if (mode_ == SCAN_4X4) {
        row = (b2 & 0x01) ? 0 : (b2 & 0x02) ? 4 : (b2 & 0x04) ? 8 : (b2 & 0x08) ? 12 : -1;
        firstColumnBit = 4;
        columns = 4;
    } else if (mode_ == SCAN_4X5) {
        row = (b2 & 0x01) ? 0 : (b2 & 0x02) ? 5 : (b2 & 0x04) ? 10 : 15;
        firstColumnBit = 3;
        columns = 5;
    } else {
        row = (b2 & 0x01) ? 0 : 3;
        firstColumnBit = 1;
        columns = 3;
    }
    for (int column = 0; column < columns; ++column) {
        // With no row line set a 4x4 keypad reads every column as key 0.
        const int key = row < 0 ? 0 : row + column;
        const bool pressed = (b2 >> (firstColumnBit + column)) & 1;
        const bool wasPressed = keyState_[key] != 0;
        std::uint32_t& hold = holdCount_[key];
        if (pressed != wasPressed) {
            if (pressed) result.messages.push_back({HUBM_KEY_DOWN, WParam(key), 0});
            else result.messages.push_back({HUBM_KEY_UP, WParam(key), LParam(hold)});
            keyState_[key] = pressed ? 1 : 0;
        } else if (wasPressed && hold % 3 == 0) {
            result.messages.push_back({HUBM_KEY_DOWN, WParam(key), LParam(hold)});
        }
        hold = pressed ? std::min<std::uint32_t>(hold + 1, 255) : 0;
    }
}

void ReportDecoder::DecodeDirect(std::uint8_t b2, int lines, Result& result) {
    for (int i = 0; i < lines; ++i) {
        const auto value = static_cast<std::uint8_t>(b2 & (1u << i));
        if (value == keyState_[i]) continue;
        const bool pressed = pullHigh_ ? value == 0 : value != 0;
        result.messages.push_back({pressed ? HUBM_KEY_DOWN : HUBM_KEY_UP, WParam(i), 0});
        keyState_[i] = value;
    }
}

}  // namespace calvox
