// Comparisons without regard to case, as the platform makes them for names
// (settings keys, key-function names, call ids, device paths, registry keys).
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace calvox {

inline std::string ToUpperAscii(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace calvox
