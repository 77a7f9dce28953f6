// A fuzzed settings file read the way the program reads it: the input is INI
// text ("[SECTION]" and "KEY=VALUE" lines, sections and keys without regard to
// case, the first of equal keys counts), every key is read at start-up and
// again as the companion's change makes it, and the voicemail settings are
// turned into MCU commands.
#include <cctype>
#include <cstddef>
#include <cstdint>
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
        std::string section;
        while (!text.empty()) {
            const std::size_t end = std::min(text.find('\n'), text.size());
            std::string_view line = text.substr(0, end);
            text.remove_prefix(std::min(end + 1, text.size()));
            if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
                section = calvox::ToUpperAscii(std::string(line.substr(1, line.size() - 2)));
            } else if (std::size_t eq = line.find('='); eq != std::string_view::npos) {
                values_.emplace(
                    section + '\n' + calvox::ToUpperAscii(std::string(line.substr(0, eq))),
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
    const std::string* Find(const std::string& section, const std::string& key) {
        // Most keys are absent; build the upper-case name in one reused buffer.
        if (values_.empty()) return nullptr;
        name_.assign(section).append(1, '\n').append(key);
        for (char& c : name_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        auto it = values_.find(name_);
        return it == values_.end() ? nullptr : &it->second;
    }
    std::string name_;
    std::map<std::string, std::string> values_;
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
