#include "sim/virtual_registry.h"

#include <cctype>

#include "config/text_case.h"

namespace calvox::sim {

namespace {
std::string TrimSlashes(std::string key) {
    while (!key.empty() && key.back() == '\\') key.pop_back();
    std::size_t first = key.find_first_not_of('\\');
    return first == std::string::npos ? std::string() : key.substr(first);
}
}  // namespace

std::string VirtualRegistry::Fold(RegistryHive hive, const std::string& key) {
    return (hive == RegistryHive::CurrentUser ? "HKCU\\" : "HKLM\\") + ToUpperAscii(TrimSlashes(key));
}

bool VirtualRegistry::Set(const std::string& path, const std::string& value,
                          const RegistryData& data) {
    const std::string hive = ToUpperAscii(path.substr(0, 5));
    if (hive != "HKCU\\" && hive != "HKLM\\") return false;
    Set(hive == "HKCU\\" ? RegistryHive::CurrentUser : RegistryHive::LocalMachine, path.substr(5),
        value, data);
    return true;
}

void VirtualRegistry::Set(RegistryHive hive, const std::string& key, const std::string& value,
                          const RegistryData& data) {
    keys_[Fold(hive, key)][ToUpperAscii(value)] = data;
}

std::optional<RegistryData> VirtualRegistry::Get(RegistryHive hive, const std::string& key,
                                                 const std::string& value) const {
    auto k = keys_.find(Fold(hive, key));
    if (k == keys_.end()) return std::nullopt;
    auto v = k->second.find(ToUpperAscii(value));
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

bool VirtualRegistry::ReadString(RegistryHive hive, const std::string& key,
                                 const std::string& value, std::size_t maxBytes, std::string& out) {
    std::optional<RegistryData> data = Get(hive, key, value);
    const std::string* text = data ? std::get_if<std::string>(&*data) : nullptr;
    // Like RegQueryValueEx, a value that does not fit the buffer is not read at all.
    if (text == nullptr || text->empty() || text->size() + 1 > maxBytes) return false;
    out = *text;
    return true;
}

}  // namespace calvox::sim
