// The shell: opening files and links, the notification-area icon and icons.
#pragma once

#include <string>

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
};

}  // namespace calvox
