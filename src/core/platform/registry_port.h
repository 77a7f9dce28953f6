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

    // Whether the key can be opened for reading and writing its values.
    virtual bool KeyExists(RegistryHive hive, const std::string& key) = 0;
    // Creates the key with the parents it lacks; false when it cannot.
    virtual bool CreateKey(RegistryHive hive, const std::string& key) = 0;
    // The name of the index-th subkey; false past the last one.
    virtual bool EnumerateSubkey(RegistryHive hive, const std::string& key, std::uint32_t index,
                                 std::string& name) = 0;
    virtual bool ReadDword(RegistryHive hive, const std::string& key, const std::string& value,
                           std::uint32_t& out) = 0;
    // Strings are stored with their terminator.
    virtual bool WriteString(RegistryHive hive, const std::string& key, const std::string& value,
                             const std::string& text) = 0;
    virtual bool WriteDword(RegistryHive hive, const std::string& key, const std::string& value,
                            std::uint32_t data) = 0;
};

}  // namespace calvox
