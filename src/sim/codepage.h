// Code page 1252, the ANSI code page of the virtual Windows.
#pragma once

#include <string>

namespace calvox::sim {

std::u16string Cp1252ToUtf16(const std::string& bytes);
// Characters the code page lacks become '?'; `lossless` tells whether any did.
std::string Utf16ToCp1252(const std::u16string& text, bool* lossless = nullptr);

// Script text (UTF-8) to the code page; false when a character is missing.
bool Utf8ToCp1252(const std::string& utf8, std::string& bytes);
std::string Cp1252ToUtf8(const std::string& bytes);

}  // namespace calvox::sim
