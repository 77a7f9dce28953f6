// The virtual registry: values under keys of the two hives the program uses.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>

#include "platform/registry_port.h"

namespace calvox::sim {

using RegistryData = std::variant<std::string, std::uint32_t>;  // REG_SZ or REG_DWORD

class VirtualRegistry : public RegistryPort {
public:
    // `trace` receives each line of the `registry` channel.
    explicit VirtualRegistry(std::function<void(const std::string&)> trace = {});

    // `path` is KEY with its hive ("HKCU\..." or "HKLM\...", either case); false
    // for another hive. An empty value name is the key's default value.
    bool Set(const std::string& path, const std::string& value, const RegistryData& data);
    void Set(RegistryHive hive, const std::string& key, const std::string& value,
             const RegistryData& data);
    std::optional<RegistryData> Get(RegistryHive hive, const std::string& key,
                                    const std::string& value) const;

    bool ReadString(RegistryHive hive, const std::string& key, const std::string& value,
                    std::size_t maxBytes, std::string& out) override;
    bool KeyExists(RegistryHive hive, const std::string& key) override;
    bool CreateKey(RegistryHive hive, const std::string& key) override;
    bool EnumerateSubkey(RegistryHive hive, const std::string& key, std::uint32_t index,
                         std::string& name) override;
    bool ReadDword(RegistryHive hive, const std::string& key, const std::string& value,
                   std::uint32_t& out) override;
    bool WriteString(RegistryHive hive, const std::string& key, const std::string& value,
                     const std::string& text) override;
    bool WriteDword(RegistryHive hive, const std::string& key, const std::string& value,
                    std::uint32_t data) override;

private:
    void Trace(const std::string& line) const {
        if (trace_) trace_(line);
    }
    std::function<void(const std::string&)> trace_;
    // Keys and value names compare without regard to case, as in Windows. A
    // key exists when it is here or above one that is.
    static std::string Fold(RegistryHive hive, const std::string& key);
    std::map<std::string, std::map<std::string, RegistryData>> keys_;
};

}  // namespace calvox::sim
