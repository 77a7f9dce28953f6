// The shell of the virtual Windows: the tray, icons, the programs it starts,
// and the program's resources (string table, version block) in the UI language.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/shell_port.h"
#include "sim/files.h"
#include "sim/trace.h"

namespace calvox::sim {

class VirtualShell : public ShellPort {
public:
    VirtualShell(TraceWrite write, FileSystem& disk) : write_(std::move(write)), disk_(disk) {}

    // "en-US" or "zh-TW".
    const std::string& Language() const { return language_; }
    void SetLanguage(std::string language) { language_ = std::move(language); }
    // A new taskbar starts without the icon.
    void RestartTaskbar() { trayPresent_ = false; }

    void ShellExecute(Hwnd window, const std::string& verb, const std::string& file,
                      const std::string& parameters, const std::string& folder, int show) override;
    bool NotifyIcon(TrayOp op, const TrayIconRecord& record) override;
    IconHandle LoadIconFile(const std::string& path) override;
    IconHandle LoadIconResource(int id) override;
    void DestroyIcon(IconHandle) override {}
    std::u16string LoadString(int id) override;
    bool GetVersionTranslations(std::vector<VersionTranslation>& translations) override;
    bool QueryVersionString(const std::string& subBlock, std::u16string& value) override;

private:
    TraceWrite write_;
    FileSystem& disk_;
    std::string language_ = "en-US";
    bool trayPresent_ = false;
    std::map<IconHandle, std::string> icons_;
    IconHandle nextIcon_ = 0x100;
};

}  // namespace calvox::sim
