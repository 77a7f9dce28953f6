#include "sim/virtual_driver.h"

#include "sound/driver_wave_player.h"
#include "sim/codepage.h"
#include "sim/script.h"

namespace calvox::sim {

DriverObject VirtualDriver::Create(const Guid& classId, const Guid& interfaceId) {
    if (!installed_ || !(classId == kDriverClassId) || !(interfaceId == kDriverInterfaceId))
        return 0;
    return 1;
}

int VirtualDriver::Set(DriverObject object, std::uint32_t property, void* block,
                       std::uint32_t size) {
    if (object != 1 || property != kDriverProperty || block == nullptr || size < kDriverCommandSize)
        return 0;
    const auto* b = static_cast<const std::uint8_t*>(block);
    auto at = [&](std::size_t o) {
        return static_cast<std::uint32_t>(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16)) |
               (std::uint32_t{b[o + 3]} << 24);
    };
    const std::uint32_t operation = at(0), channel = at(4);
    if (operation == DRIVER_QUERY) {
        write_("driver-query " + std::to_string(channel));
        auto it = status_.find(channel);
        if (refuse_ || (it != status_.end() && !it->second)) return 0;
        lastReply_ = it == status_.end() ? 0 : *it->second;
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
        write_("driver start " + std::to_string(channel) + " " +
               QuoteText(Cp1252ToUtf8(Utf16ToCp1252(path))));
    } else {
        write_("driver stop " + std::to_string(channel));
    }
    return refuse_ ? 0 : 1;
}

int VirtualDriver::Get(DriverObject object, std::uint32_t property, void* block,
                       std::uint32_t size) {
    if (object != 1 || property != kDriverProperty || block == nullptr || size < kDriverCommandSize)
        return 0;
    auto* b = static_cast<std::uint8_t*>(block);
    const auto reply = static_cast<std::uint32_t>(lastReply_);
    for (int i = 0; i < 4; ++i) b[8 + i] = static_cast<std::uint8_t>(reply >> (8 * i));
    return 1;
}

}  // namespace calvox::sim
