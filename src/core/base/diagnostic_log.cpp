#include "base/diagnostic_log.h"

#include <cstdio>

namespace calvox {

std::string ResultCodeText(std::uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", code);
    return text;
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

}  // namespace calvox
