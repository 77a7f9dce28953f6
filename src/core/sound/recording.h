// Voicemail messages and call recordings of the current Skype call, and the
// folder listing that finds recordings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_port.h"

namespace calvox {

// "<folder>\<caller>_<seconds>_N.wav" (message) or "..._W.wav" (call recording).
// The caller part is made safe for a file name.
std::string RecordingFileName(const std::string& folder, const std::string& caller,
                              std::int64_t seconds, char kind);
std::string SafeFileNamePart(const std::string& text);
// Creates a folder (one level) that is not there yet.
void EnsureFolder(FilePort& files, const std::string& folder);

// Appends the files of `folder` matching `pattern` ("*.*" when empty); false
// when the folder is empty or no existing directory.
bool ListFiles(FilePort& files, std::vector<std::string>& list, const std::string& folder,
               const std::string& pattern, bool fullPaths);

}  // namespace calvox
