// The settings file through the platform's profile functions.
#pragma once

#include <cstddef>
#include <string>

namespace calvox {

class ProfilePort {
public:
    virtual ~ProfilePort() = default;

    virtual int GetInt(const std::string& section, const std::string& key, int defaultValue,
                       const std::string& path) = 0;
    // The value as GetPrivateProfileString returns it into a buffer of
    // bufferSize bytes (so at most bufferSize - 1 characters); empty when the
    // key is absent or empty.
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& path, std::size_t bufferSize) = 0;
    virtual bool WriteString(const std::string& section, const std::string& key,
                             const std::string& value, const std::string& path) = 0;
};

}  // namespace calvox
