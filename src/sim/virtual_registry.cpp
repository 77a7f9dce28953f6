#include "sim/virtual_registry.h"

#include <cctype>

#include "base/text_case.h"
#include "sim/codepage.h"
#include "sim/script.h"

namespace calvox::sim {

namespace {
std::string TrimSlashes(std::string key) {
    while (!key.empty() && key.back() == '\\') key.pop_back();
    std::size_t first = key.find_first_not_of('\\');
    return first == std::string::npos ? std::string() : key.substr(first);
}
std::string HiveText(RegistryHive hive) {
    return hive == RegistryHive::CurrentUser ? "HKCU\\" : "HKLM\\";
}
}  // namespace

VirtualRegistry::VirtualRegistry(std::function<void(const std::string&)> trace)
    : trace_(std::move(trace)) {
    // The parents of the keys the program creates.
    keys_[Fold(RegistryHive::CurrentUser, "Software\\Microsoft\\Multimedia")];
    keys_[Fold(RegistryHive::LocalMachine, "SYSTEM\\CurrentControlSet\\Control")];
}

std::string VirtualRegistry::Fold(RegistryHive hive, const std::string& key) {
    return (hive == RegistryHive::CurrentUser ? "HKCU\\" : "HKLM\\") +
           ToUpperAscii(TrimSlashes(key));
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

namespace calvox::sim {

bool VirtualRegistry::KeyExists(RegistryHive hive, const std::string& key) {
    const std::string folded = Fold(hive, key);
    if (keys_.count(folded) > 0) return true;
    auto it = keys_.lower_bound(folded + "\\");
    return it != keys_.end() && it->first.compare(0, folded.size() + 1, folded + "\\") == 0;
}

bool VirtualRegistry::CreateKey(RegistryHive hive, const std::string& key) {
    const std::string trimmed = TrimSlashes(key);
    if (trimmed.empty()) return false;
    for (std::size_t end = 0; end != std::string::npos;) {
        end = trimmed.find('\\', end + 1);
        const std::string level = trimmed.substr(0, end);
        if (KeyExists(hive, level)) continue;
        keys_[Fold(hive, level)];
        Trace("registry create " + Cp1252ToUtf8(HiveText(hive) + level));
    }
    return true;
}

bool VirtualRegistry::EnumerateSubkey(RegistryHive hive, const std::string& key,
                                      std::uint32_t index, std::string& name) {
    const std::string prefix = Fold(hive, key) + "\\";
    std::string last;
    std::uint32_t n = 0;
    for (auto it = keys_.lower_bound(prefix);
         it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        const std::string child =
            it->first.substr(prefix.size(), it->first.find('\\', prefix.size()) - prefix.size());
        if (child == last) continue;
        last = child;
        if (n++ == index) {
            name = child;
            return true;
        }
    }
    return false;
}

bool VirtualRegistry::ReadDword(RegistryHive hive, const std::string& key, const std::string& value,
                                std::uint32_t& out) {
    std::optional<RegistryData> data = Get(hive, key, value);
    const std::uint32_t* number = data ? std::get_if<std::uint32_t>(&*data) : nullptr;
    if (number == nullptr) return false;
    out = *number;
    return true;
}

bool VirtualRegistry::WriteString(RegistryHive hive, const std::string& key,
                                  const std::string& value, const std::string& text) {
    if (!KeyExists(hive, key)) return false;
    Set(hive, key, value, text);
    Trace("registry set " + Cp1252ToUtf8(HiveText(hive) + TrimSlashes(key) + "\\" + value) + " = " +
          QuoteText(Cp1252ToUtf8(text)));
    return true;
}

bool VirtualRegistry::WriteDword(RegistryHive hive, const std::string& key,
                                 const std::string& value, std::uint32_t data) {
    if (!KeyExists(hive, key)) return false;
    Set(hive, key, value, data);
    Trace("registry set " + Cp1252ToUtf8(HiveText(hive) + TrimSlashes(key) + "\\" + value) + " = " +
          std::to_string(data));
    return true;
}

}  // namespace calvox::sim
