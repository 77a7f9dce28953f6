// The virtual registry: values under keys of the two hives the program uses.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

#include "platform/registry_port.h"

namespace calvox::sim {

using RegistryData = std::variant<std::string, std::uint32_t>;  // REG_SZ or REG_DWORD

class VirtualRegistry : public RegistryPort {
public:
    // `path` is KEY with its hive ("HKCU\..." or "HKLM\...", either case); false
    // for another hive. An empty value name is the key's default value.
    bool Set(const std::string& path, const std::string& value, const RegistryData& data);
    void Set(RegistryHive hive, const std::string& key, const std::string& value,
             const RegistryData& data);
    std::optional<RegistryData> Get(RegistryHive hive, const std::string& key,
                                    const std::string& value) const;

    bool ReadString(RegistryHive hive, const std::string& key, const std::string& value,
                    std::size_t maxBytes, std::string& out) override;

private:
    // Keys and value names compare without regard to case, as in Windows.
    static std::string Fold(RegistryHive hive, const std::string& key);
    std::map<std::string, std::map<std::string, RegistryData>> keys_;
};

}  // namespace calvox::sim
