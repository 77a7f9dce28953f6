#include "shell/tray.h"

#include <gtest/gtest.h>

#include <map>

#include "support/null_platform.h"

namespace calvox {
namespace {

// A version resource with a given translation list and string values.
class VersionResource : public test::NullPlatform {
public:
    std::vector<VersionTranslation> translations;
    std::map<std::string, std::u16string> values;
    std::vector<std::string> queried;

    bool GetVersionTranslations(std::vector<VersionTranslation>& out) override {
        out = translations;
        return !translations.empty();
    }
    bool QueryVersionString(const std::string& subBlock, std::u16string& value) override {
        queried.push_back(subBlock);
        auto it = values.find(subBlock);
        if (it == values.end()) return false;
        value = it->second;
        return true;
    }
};

TEST(ReadFileVersion, FirstTranslationThatHasAFileVersion) {
    VersionResource r;
    EXPECT_EQ(ReadFileVersion(r), u"");  // no resource at all

    r.translations = {{0x0404, 0x03b6}, {0x0409, 0x04b0}};
    r.values["\\StringFileInfo\\040904b0\\FileVersion"] = u"2.5.0.1";
    r.values["\\StringFileInfo\\040904b0\\ProductVersion"] = u"9.9";
    EXPECT_EQ(ReadFileVersion(r), u"2.5.0.1");
    EXPECT_EQ(r.queried, (std::vector<std::string>{"\\StringFileInfo\\040403b6\\FileVersion",
                                                   "\\StringFileInfo\\040904b0\\FileVersion"}));

    r.values["\\StringFileInfo\\040403b6\\FileVersion"] = u"3.0";
    EXPECT_EQ(ReadFileVersion(r), u"3.0");

    r.values.clear();
    EXPECT_EQ(ReadFileVersion(r), u"");
}

// An About box that opens, initialises and closes; the icons it is given.
class AboutBoxPlatform : public test::NullPlatform, public DialogItems {
public:
    static constexpr IconHandle kFileIcon = 0x77;
    std::map<int, std::u16string> texts{{kAboutVersionItem, u"Zorvik Quillon Version "}};
    std::vector<IconHandle> set, destroyed;

    void DialogBox(int id, Hwnd, const std::function<void(DialogItems&)>& init) override {
        if (id == kAboutDialog) init(*this);
    }
    std::u16string GetText(int id) override { return texts[id]; }
    void SetText(int id, const std::u16string& text) override { texts[id] = text; }
    void SetIcon(int id, IconHandle icon) override {
        if (id == kAboutIconItem) set.push_back(icon);
    }
    IconHandle LoadIconFile(const std::string& path) override {
        return path == "C:\\Calvox\\Icons\\on.ico" ? kFileIcon : 0;
    }
    void DestroyIcon(IconHandle icon) override { destroyed.push_back(icon); }
};

TEST(ShowAboutBox, TheConnectIconFileIsShownAndDestroyedWithTheBox) {
    struct Case {
        std::string path;
        std::vector<IconHandle> icons;  // set, then destroyed
    };
    const Case cases[] = {
        {"C:\\Calvox\\Icons\\on.ico", {AboutBoxPlatform::kFileIcon}},
        {"", {}},                             // no icon file: the built-in icon stays
        {"C:\\Calvox\\Icons\\gone.ico", {}},  // a file that does not load
    };
    for (const Case& c : cases) {
        AboutBoxPlatform p;
        Settings settings;
        HubWindow hubWindow(p, p);
        hubWindow.Created(0x100);
        Tray tray(p, p, p, settings, hubWindow);
        tray.SetTexts("Phone", c.path, "");
        tray.ShowAboutBox();
        EXPECT_EQ(p.set, c.icons) << c.path;
        EXPECT_EQ(p.destroyed, c.icons) << c.path;
        EXPECT_EQ(p.texts[kAboutVersionItem], u"Phone Version  ");  // no version resource
    }
}

}  // namespace
}  // namespace calvox
