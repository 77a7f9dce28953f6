#include "base/text_convert.h"

#include <algorithm>

namespace calvox {

namespace {

// Every ANSI code page keeps ASCII as it is, and so does UTF-8: the client's
// usual texts need no conversion.
bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

bool Utf16ToUtf8(const std::u16string& wide, std::string& utf8) {
    utf8.clear();
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (c >> 18));
            utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return true;
}

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string wide;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t n = utf8.size();
    for (std::size_t i = 0; i < n;) {
        unsigned char b = s[i];
        char32_t c;
        std::size_t len;
        if (b < 0x80) {
            c = b;
            len = 1;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            len = 4;
        } else {
            wide += u'\xFFFD';
            ++i;
            continue;
        }
        bool ok = i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) ok = false;
            else c = (c << 6) | (s[i + k] & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            wide += u'\xFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            wide += static_cast<char16_t>(0xD800 + (c >> 10));
            wide += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            wide += static_cast<char16_t>(c);
        }
        i += len;
    }
    return wide;
}

bool ToUtf8(TextPort& text, const std::string& ansi, std::string& utf8) {
    if (IsAscii(ansi)) {
        utf8 = ansi;
        return true;
    }
    std::u16string wide;
    if (!text.AnsiToWide(ansi, wide)) return false;
    return Utf16ToUtf8(wide, utf8);
}

bool Utf8ToAnsi(TextPort& text, const std::string& utf8, std::string& ansi) {
    if (IsAscii(utf8)) {
        ansi = utf8;
        return true;
    }
    return text.WideToAnsi(Utf8ToUtf16(utf8), ansi);
}

bool AnsiToWide(TextPort& text, const std::string& ansi, std::u16string& wide) {
    return text.AnsiToWide(ansi, wide);
}

}  // namespace calvox
