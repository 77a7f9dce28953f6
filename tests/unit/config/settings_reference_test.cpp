// docs/settings.md names every section and key the program reads or writes:
// the profile reads and writes of the settings code are recorded at the port
// and each is looked up in the reference's headings and tables.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "app/app.h"
#include "config/settings.h"
#include "control/call_actions.h"
#include "support/sim_platform.h"

namespace calvox {
namespace {

using Names = std::map<std::string, std::set<std::string>>;  // section -> keys

class RecordingProfile : public ProfilePort {
public:
    explicit RecordingProfile(ProfilePort& inner) : inner_(inner) {}
    int GetInt(const std::string& section, const std::string& key, int defaultValue,
               const std::string& path) override {
        used[section].insert(key);
        return inner_.GetInt(section, key, defaultValue, path);
    }
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& path, std::size_t bufferSize) override {
        used[section].insert(key);
        return inner_.GetString(section, key, path, bufferSize);
    }
    bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override {
        used[section].insert(key);
        return inner_.WriteString(section, key, value, path);
    }
    Names used;

private:
    ProfilePort& inner_;
};

// The keys of each section as the reference lists them: a heading names its
// sections as [SECTION]; the first cell of a table row names keys in
// backticks, `KEY0` … `KEY63` a range, `KEY0`, `KEY1`, … KEY with any number
// (kept as "KEY#"), and an italic cell any key ("*").
Names ReferenceNames(std::istream& doc) {
    const std::regex section(R"(\[([A-Z0-9]+)\])"), key("`([A-Z0-9_]+)`");
    Names names;
    std::vector<std::string> sections;
    for (std::string line; std::getline(doc, line);) {
        if (line.rfind("#", 0) == 0) {
            sections.clear();
            for (std::sregex_iterator m(line.begin(), line.end(), section), end; m != end; ++m)
                sections.push_back((*m)[1]);
            continue;
        }
        if (line.rfind("| ", 0) != 0) continue;
        const std::string cell = line.substr(2, line.find(" |", 1) - 2);
        std::vector<std::string> keys;
        for (std::sregex_iterator m(cell.begin(), cell.end(), key), end; m != end; ++m)
            keys.push_back((*m)[1]);
        const bool open = cell.size() > 4 && cell.compare(cell.size() - 4, 4, ", …") == 0;
        if (open && !keys.empty()) {
            keys = {keys[0].substr(0, keys[0].find_first_of("0123456789")) + "#"};
        } else if (keys.size() == 2 && cell.find("…") != std::string::npos) {
            const std::string stem = keys[0].substr(0, keys[0].find_first_of("0123456789"));
            const int first = std::stoi(keys[0].substr(stem.size()));
            const int last = std::stoi(keys[1].substr(stem.size()));
            keys.clear();
            for (int n = first; n <= last; ++n) keys.push_back(stem + std::to_string(n));
        }
        if (cell.size() > 2 && cell.front() == '*' && cell.back() == '*') keys = {"*"};
        for (const std::string& s : sections) names[s].insert(keys.begin(), keys.end());
    }
    return names;
}

bool Listed(const std::set<std::string>& listed, const std::string& key) {
    if (listed.count(key) || listed.count("*")) return true;
    const std::size_t digits = key.find_first_of("0123456789");
    return digits != std::string::npos && digits > 0 &&
           key.find_first_not_of("0123456789", digits) == std::string::npos &&
           listed.count(key.substr(0, digits) + "#");
}

TEST(SettingsReference, NamesEveryKeyTheProgramReadsOrWrites) {
    std::ifstream doc(CALVOX_SOURCE_DIR "/docs/settings.md");
    ASSERT_TRUE(doc) << "docs/settings.md";
    const Names reference = ReferenceNames(doc);

    test::SimPlatform sim;
    RecordingProfile profile(sim.platform.profile);
    const Platform& p = sim.platform;
    Platform platform{p.window, p.clock,     p.threads,  profile,     p.files,       p.shell,
                      p.text,   p.hid,       p.usb,      p.endpoints, p.registry,    p.system,
                      p.mixer,  p.driver,    p.sound,    p.binaryFiles, p.observer,  p.log};
    Settings settings;
    DeviceTexts texts;
    SettingNotes notes;
    LoadDeviceSettings(platform, settings, texts, &notes);
    LoadVoiceMailSettings(platform, settings, true, &notes);
    App app{platform};
    MakeConfiguredCall(app, 0);
    WriteCallRecord(platform, 1);
    WriteDeviceGainCleared(platform);
    WriteContactHandle(platform, 0, "bob");
    WriteContactHandle(platform, 70, "ann");
    WriteContactCount(platform, 71);
    WriteDisplayName(platform, "bob", "Bob");

    ASSERT_GE(profile.used.size(), 12u);
    for (const auto& [section, keys] : profile.used) {
        const auto listed = reference.find(section);
        ASSERT_NE(listed, reference.end()) << "no heading names [" << section << "]";
        for (const std::string& k : keys)
            EXPECT_TRUE(Listed(listed->second, k))
                << "[" << section << "] " << k << " is not in docs/settings.md";
    }
}

}  // namespace
}  // namespace calvox
