// The shell: opening files and links, the notification-area icon, icons and
// the program's own resources.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace calvox {

enum class TrayOp { Add, Modify, Delete };

// The shell's notify-icon record, as far as the program fills it.
struct TrayIconRecord {
    Hwnd window = 0;
    unsigned id = 0;
    unsigned flags = 0;
    unsigned callbackMessage = 0;
    IconHandle icon = 0;
    std::string tip;  // at most 127 characters
};

// One (language, code page) pair of a version resource's translation list.
struct VersionTranslation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
};

class ShellPort {
public:
    virtual ~ShellPort() = default;

    virtual void ShellExecute(Hwnd window, const std::string& verb, const std::string& file,
                              const std::string& parameters, const std::string& folder,
                              int show) = 0;
    virtual bool NotifyIcon(TrayOp op, const TrayIconRecord& record) = 0;
    // An icon file of default size; 0 when it does not load.
    virtual IconHandle LoadIconFile(const std::string& path) = 0;
    virtual IconHandle LoadIconResource(int id) = 0;
    virtual void DestroyIcon(IconHandle icon) = 0;

    // A string of the program's string table in the user interface language;
    // empty when there is none.
    virtual std::u16string LoadString(int id) = 0;
    // The program's version resource: "\VarFileInfo\Translation", and a string
    // value by its sub-block path; false when the resource or value is missing.
    virtual bool GetVersionTranslations(std::vector<VersionTranslation>& translations) = 0;
    virtual bool QueryVersionString(const std::string& subBlock, std::u16string& value) = 0;
};

}  // namespace calvox
