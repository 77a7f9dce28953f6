// Text between the ANSI code page of the core and the UTF-8 of the client.
#pragma once

#include <string>

#include "platform/text_port.h"

namespace calvox {

bool Utf16ToUtf8(const std::u16string& wide, std::string& utf8);
// Malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& utf8);

bool ToUtf8(TextPort& text, const std::string& ansi, std::string& utf8);
bool Utf8ToAnsi(TextPort& text, const std::string& utf8, std::string& ansi);
bool AnsiToWide(TextPort& text, const std::string& ansi, std::u16string& wide);

}  // namespace calvox
