#include "hub/startup.h"

#include <cstring>

#include "base/hub_messages.h"
#include "hub/hub.h"

namespace calvox {

namespace {
constexpr unsigned kCsVRedraw = 0x0001;
constexpr unsigned kCsHRedraw = 0x0002;
constexpr int kColorWindowBrush = 5;
constexpr std::uint32_t kWsOverlappedWindow = 0x00CF0000;
constexpr int kCwUseDefault = static_cast<int>(0x80000000u);
}  // namespace

bool FindLaunchLink(const std::string& commandLine, std::string& link) {
    std::size_t at = commandLine.find(kLinkPrefix);
    if (at == std::string::npos) return false;
    link = commandLine.substr(at + std::strlen(kLinkPrefix));
    // A quoted argument ("SKYPELINK-...") ends in the quote that opened it.
    if (at > 0 && commandLine[at - 1] == '"' && !link.empty() && link.back() == '"') link.pop_back();
    return true;
}

WindowClassSpec HiddenWindowClass() {
    WindowClassSpec spec;
    spec.className = kHiddenWindowClass;
    spec.style = kCsHRedraw | kCsVRedraw;
    spec.backgroundBrush = kColorWindowBrush;
    return spec;
}

WindowCreateSpec HiddenWindowCreation() {
    WindowCreateSpec spec;
    spec.className = kHiddenWindowClass;
    spec.title = kHiddenWindowClass;
    spec.exStyle = 0;
    spec.style = kWsOverlappedWindow;
    spec.x = kCwUseDefault;
    spec.y = 0;
    spec.width = kCwUseDefault;
    spec.height = 0;
    return spec;
}

void RunProgram(Platform& platform, const std::string& commandLine) {
    std::string windowsDir = platform.files.GetWindowsDirectory();

    // Launcher role: open the link and end, without a window or an instance check.
    std::string link;
    if (FindLaunchLink(commandLine, link)) {
        if (!link.empty())
            platform.shell.ShellExecute(0, "Open", link, "", windowsDir, kSwShow);
        return;
    }

    if (platform.window.FindWindow(kHiddenWindowClass, kHiddenWindowClass) != 0) return;

    Hub hub(platform);
    WindowHandlers handlers;
    handlers.message = [&hub](Hwnd window, unsigned message, WParam wParam, LParam lParam) {
        // The first message the window gets brings its handle; the hub keeps it.
        if (hub.Window().Handle() == 0) hub.Window().Created(window);
        return hub.Handle(message, wParam, lParam);
    };
    handlers.copyData = [&hub](Hwnd sender, std::string bytes) {
        return hub.OnCopyData(sender, std::move(bytes));
    };
    handlers.mixerChange = [&hub](MixerChange change) { hub.OnMixerChange(change); };
    if (!platform.window.RegisterClass(HiddenWindowClass(), std::move(handlers))) return;
    Hwnd window = platform.window.CreateWindow(HiddenWindowCreation());
    if (window == 0) return;
    platform.window.ShowWindow(window, kSwHide);
    platform.window.UpdateWindow(window);
    platform.window.Run();
}

}  // namespace calvox
