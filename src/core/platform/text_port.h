// Conversion between the ANSI code page and UTF-16.
#pragma once

#include <string>

namespace calvox {

class TextPort {
public:
    virtual ~TextPort() = default;

    virtual bool AnsiToWide(const std::string& ansi, std::u16string& wide) = 0;
    // Characters the code page lacks become '?'.
    virtual bool WideToAnsi(const std::u16string& wide, std::string& ansi) = 0;
};

}  // namespace calvox
