#include "sim/codepage.h"

#include "base/text_convert.h"

namespace calvox::sim {

namespace {
// 0x80-0x9F; the five undefined bytes map to the C1 controls, as Windows does.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

std::u16string Cp1252ToUtf16(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        out += (b >= 0x80 && b <= 0x9F) ? kHigh[b - 0x80] : static_cast<char16_t>(b);
    }
    return out;
}

std::string Utf16ToCp1252(const std::u16string& text, bool* lossless) {
    std::string out;
    bool ok = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        int found = -1;
        for (int k = 0; k < 32; ++k)
            if (kHigh[k] == c) found = k;
        if (found >= 0) {
            out += static_cast<char>(0x80 + found);
        } else {
            out += '?';
            ok = false;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) ++i;  // one '?' a character
        }
    }
    if (lossless) *lossless = ok;
    return out;
}

bool Utf8ToCp1252(const std::string& utf8, std::string& bytes) {
    bool ok = true;
    bytes = Utf16ToCp1252(Utf8ToUtf16(utf8), &ok);
    return ok;
}

std::string Cp1252ToUtf8(const std::string& bytes) {
    std::string out;
    Utf16ToUtf8(Cp1252ToUtf16(bytes), out);
    return out;
}

}  // namespace calvox::sim
