// docs/settings.md names every section and key the settings code reads or
// writes: the profile port records them, and each is looked up under the
// reference's [SECTION] headings, in the first cells of their tables.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "config/settings.h"
#include "support/sim_platform.h"

namespace calvox {
namespace {

using Names = std::map<std::string, std::set<std::string>>;  // section -> keys

struct RecordingProfile : ProfilePort {
    explicit RecordingProfile(ProfilePort& inner) : inner(inner) {}
    int GetInt(const std::string& s, const std::string& k, int d, const std::string& p) override {
        used[s].insert(k);
        return inner.GetInt(s, k, d, p);
    }
    std::string GetString(const std::string& s, const std::string& k, const std::string& p,
                          std::size_t n) override {
        used[s].insert(k);
        return inner.GetString(s, k, p, n);
    }
    bool WriteString(const std::string& s, const std::string& k, const std::string& v,
                     const std::string& p) override {
        used[s].insert(k);
        return inner.WriteString(s, k, v, p);
    }
    ProfilePort& inner;
    Names used;
};

// Numbered keys count by their stem: KEY0 … KEY63 and KEY70 are all "KEY#".
std::string Stem(const std::string& key) {
    const std::size_t digits = key.find_first_of("0123456789");
    return digits == std::string::npos || digits == 0 ? key : key.substr(0, digits) + "#";
}

// A first cell names keys in backticks, an italic one any key ("*").
Names ReferenceNames(std::istream& doc) {
    const std::regex section(R"(\[([A-Z0-9]+)\])"), key("`([A-Z0-9_]+)`");
    Names names;
    std::vector<std::string> sections;
    for (std::string line; std::getline(doc, line);) {
        if (line.rfind('#', 0) == 0) {
            sections.clear();
            for (std::sregex_iterator m(line.begin(), line.end(), section), e; m != e; ++m)
                sections.push_back((*m)[1]);
        }
        if (line.rfind("| ", 0) != 0) continue;
        const std::string cell = line.substr(2, line.find(" |", 1) - 2);
        for (const std::string& s : sections) {
            if (!cell.empty() && cell.front() == '*') names[s].insert("*");
            for (std::sregex_iterator m(cell.begin(), cell.end(), key), e; m != e; ++m)
                names[s].insert(Stem((*m)[1]));
        }
    }
    return names;
}

TEST(SettingsReference, NamesEveryKeyTheProgramReadsOrWrites) {
    std::ifstream doc(CALVOX_SOURCE_DIR "/docs/settings.md");
    ASSERT_TRUE(doc) << "docs/settings.md";
    const Names reference = ReferenceNames(doc);

    test::SimPlatform sim;
    const Platform& p = sim.platform;
    RecordingProfile profile(p.profile);
    Platform platform{p.window, p.clock,  p.threads, profile,       p.files,    p.shell,
                      p.text,   p.hid,    p.usb,     p.endpoints,   p.registry, p.system,
                      p.mixer,  p.driver, p.sound,   p.binaryFiles, p.observer, p.log};
    Settings settings;
    DeviceTexts texts;
    SettingNotes notes;
    LoadDeviceSettings(platform, settings, texts, &notes);
    LoadVoiceMailSettings(platform, settings, true, &notes);
    ReadConfiguredCallNumber(platform);
    WriteCallRecord(platform, 1);
    WriteDeviceGainCleared(platform);
    WriteContactHandle(platform, 70, "bob");
    WriteContactCount(platform, 71);
    WriteDisplayName(platform, "bob", "Bob");

    ASSERT_GE(profile.used.size(), 12u);
    for (const auto& [section, keys] : profile.used) {
        ASSERT_TRUE(reference.count(section)) << "no heading names [" << section << "]";
        for (const std::string& k : keys)
            EXPECT_TRUE(reference.at(section).count(Stem(k)) || reference.at(section).count("*"))
                << "[" << section << "] " << k;
    }
}

}  // namespace
}  // namespace calvox
