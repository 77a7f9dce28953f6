#include "client/profile.h"

#include "config/settings.h"
#include "client/skype_directory.h"

namespace calvox {

namespace {
constexpr const char* kOpenTag = "<SOUND_FRIEND_CALLING>";
constexpr const char* kCloseTag = "</SOUND_FRIEND_CALLING>";
constexpr std::size_t kPieceChars = 259;
}  // namespace

std::string RingtoneFromConfig(const std::string& content) {
    std::string value;
    std::size_t at = 0;
    while (at < content.size()) {
        // A line, with its line break, in pieces of at most 259 characters.
        std::size_t end = content.find('\n', at);
        end = end == std::string::npos ? content.size() : end + 1;
        end = std::min(end, at + kPieceChars);
        const std::string piece = content.substr(at, end - at);
        at = end;
        if (std::size_t open = piece.find(kOpenTag); open != std::string::npos) {
            value = piece.substr(open + std::string(kOpenTag).size());
            if (std::size_t close = value.find(kCloseTag); close != std::string::npos)
                value.resize(close);
        } else if (std::size_t close = piece.find(kCloseTag); close != std::string::npos) {
            value += piece.substr(0, close);
        }
    }
    return value;
}

std::string FindRingtone(FilePort& files, SystemPort& system, const std::string& userHandle) {
    if (userHandle.empty()) return {};
    std::string content;
    bool read = false;
    std::string windows = files.GetWindowsDirectory();
    std::string user;
    if (system.GetUserName(user)) {
        const std::string drive = windows.substr(0, windows.find('\\'));
        read = files.ReadTextFile(drive + "\\Documents and Settings\\" + user +
                                      "\\Application Data\\Skype\\" + userHandle + "\\config.xml",
                                  content);
    }
    // Newer Windows keeps the profile under the user's application data.
    std::string appData;
    if (!read && system.GetAppDataFolder(appData))
        read = files.ReadTextFile(appData + "\\Skype\\" + userHandle + "\\config.xml", content);
    return read ? CutField(RingtoneFromConfig(content)) : std::string();
}

}  // namespace calvox
