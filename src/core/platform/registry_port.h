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

    // A string value read into a buffer of `maxBytes` (so at most maxBytes - 1
    // characters); false when the key or value is missing or empty.
    virtual bool ReadString(RegistryHive hive, const std::string& key, const std::string& value,
                            std::size_t maxBytes, std::string& out) = 0;
};

}  // namespace calvox
