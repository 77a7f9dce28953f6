#include "sound/recording.h"

#include <cstring>

#include "client/skype_directory.h"

namespace calvox {

namespace {

bool IsFolder(FilePort& files, const std::string& path) {
    const std::uint32_t attributes = files.GetFileAttributes(path);
    return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

}  // namespace

void EnsureFolder(FilePort& files, const std::string& folder) {
    if (!folder.empty() && !IsFolder(files, folder)) files.CreateDirectory(folder);
}

std::string SafeFileNamePart(const std::string& text) {
    std::string safe = text;
    for (char& c : safe) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr)
            c = '_';
    }
    return safe;
}

std::string RecordingFileName(const std::string& folder, const std::string& caller,
                              std::int64_t seconds, char kind) {
    return folder + "\\" + SafeFileNamePart(caller) + "_" + std::to_string(seconds) + "_" + kind +
           ".wav";
}

void SwitchVoicemailRecording(App& app, Hwnd hubWindow, bool on) {
    if (!on) {
        app.driverPlayer.StartVoicemail(false, "");
        return;
    }
    const CallRecord* call = app.hub.currentCall;
    if (call == nullptr) return;
    const Settings& s = app.settings;
    app.driverPlayer.Configure(hubWindow, s.greeting, s.vmDuration);
    const std::string file =
        RecordingFileName(s.vmFolder, call->partnerHandle, app.platform.clock.Now(), 'N');
    EnsureFolder(app.platform.files, s.vmFolder);
    app.driverPlayer.StartVoicemail(true, file);
}

void SwitchCallRecording(App& app, Hwnd, bool on) {
    if (!on) {
        app.driverPlayer.StartRecording(false, "");
        return;
    }
    const CallRecord* call = app.hub.currentCall;
    if (call == nullptr || call->status != INPROGRESS || !app.driverPlayer.IsIdle()) return;
    const Settings& s = app.settings;
    const std::int64_t now = app.platform.clock.Now();
    EnsureFolder(app.platform.files, s.crFolder);
    app.driverPlayer.StartRecording(true,
                                    RecordingFileName(s.crFolder, call->partnerHandle, now, 'W'));
}

bool ListFiles(FilePort& files, std::vector<std::string>& list, const std::string& folder,
               const std::string& pattern, bool fullPaths) {
    if (folder.empty() || !IsFolder(files, folder)) return false;
    for (const std::string& name :
         files.FindFiles(folder + "\\" + (pattern.empty() ? std::string("*.*") : pattern))) {
        if (name == "." || name == "..") continue;
        if (IsFolder(files, folder + "\\" + name)) continue;
        list.push_back(fullPaths ? folder + "\\" + name : name);
    }
    return true;
}

}  // namespace calvox
