// A fuzzed settings file read the way the program reads it: the input is INI
// text ("[SECTION]" and "KEY=VALUE" lines, sections and keys without regard to
// case, the first of equal keys counts), every key is read at start-up and
// again as the companion's change makes it, and the voicemail settings are
// turned into MCU commands.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "base/text_case.h"
#include "handset/mcu_protocol.h"
#include "support/null_platform.h"

namespace {

class FuzzedProfile : public calvox::test::NullPlatform {
public:
    explicit FuzzedProfile(std::string_view text) {
        Section* section = nullptr;
        while (!text.empty()) {
            const std::size_t end = std::min(text.find('\n'), text.size());
            std::string_view line = text.substr(0, end);
            text.remove_prefix(std::min(end + 1, text.size()));
            if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
                section = &SectionNamed(
                    calvox::ToUpperAscii(std::string(line.substr(1, line.size() - 2))));
            } else if (std::size_t eq = line.find('='); eq != std::string_view::npos) {
                if (section == nullptr) section = &SectionNamed({});
                section->values.emplace(calvox::ToUpperAscii(std::string(line.substr(0, eq))),
                                        std::string(line.substr(eq + 1)));
            }
        }
    }

    // Like GetPrivateProfileInt: an optional '-', then decimal digits, the
    // value wrapping to 32 bits.
    int GetInt(const std::string& section, const std::string& key, int value,
               const std::string&) override {
        const std::string* text = Find(section, key);
        if (text == nullptr) return value;
        const bool negative = !text->empty() && text->front() == '-';
        std::uint32_t result = 0;
        for (std::size_t i = negative ? 1 : 0;
             i < text->size() && (*text)[i] >= '0' && (*text)[i] <= '9'; ++i)
            result = result * 10u + static_cast<std::uint32_t>((*text)[i] - '0');
        return static_cast<int>(negative ? 0u - result : result);
    }
    std::string GetString(const std::string& section, const std::string& key, const std::string&,
                          std::size_t bufferSize) override {
        const std::string* text = Find(section, key);
        if (text == nullptr || bufferSize == 0) return {};
        return text->substr(0, bufferSize - 1);
    }

private:
    struct Section {
        std::string name;
        std::map<std::string, std::string> values;
    };
    Section& SectionNamed(std::string name) {
        for (Section& section : sections_)
            if (section.name == name) return section;
        return sections_.emplace_back(Section{std::move(name), {}});
    }
    // A file holds a few sections and the program reads hundreds of keys, most
    // of them absent: the section is looked for first, the key only in it.
    const std::string* Find(const std::string& section, const std::string& key) {
        for (const Section& s : sections_) {
            if (!EqualUpper(s.name, section)) continue;
            name_.assign(key);
            for (char& c : name_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            auto it = s.values.find(name_);
            return it == s.values.end() ? nullptr : &it->second;
        }
        return nullptr;
    }
    static bool EqualUpper(const std::string& upper, const std::string& name) {
        if (upper.size() != name.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            if (upper[i] != std::toupper(static_cast<unsigned char>(name[i]))) return false;
        return true;
    }
    std::string name_;
    // std::deque keeps the sections in place while more are added.
    std::deque<Section> sections_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedProfile profile(std::string_view(reinterpret_cast<const char*>(data), size));
    calvox::Settings settings;
    calvox::DeviceTexts texts;
    calvox::LoadDeviceSettings(profile.ports, settings, texts);
    calvox::LoadVoiceMailSettings(profile.ports, settings, true);
    calvox::LoadVoiceMailSettings(profile.ports, settings, false);
    (void)calvox::VoiceMailSettingsCommands(settings);
    (void)calvox::PickupDelayMs(settings.ring2Vm);
    return 0;
}
