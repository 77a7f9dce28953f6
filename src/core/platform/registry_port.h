// The registry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace calvox {

enum class RegistryHive { CurrentUser, LocalMachine };

class RegistryPort {
public:
    virtual ~RegistryPort() = default;

    // A string value read into a buffer of `maxBytes`; false when the key or
    // value is missing or empty, or when the value and its terminator do not fit.
    virtual bool ReadString(RegistryHive hive, const std::string& key, const std::string& value,
                            std::size_t maxBytes, std::string& out) = 0;
};

}  // namespace calvox
