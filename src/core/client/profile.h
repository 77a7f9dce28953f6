// The Skype client's per-user profile: the ringtone for calls from friends.
#pragma once

#include <string>

#include "platform/file_port.h"
#include "platform/system_port.h"

namespace calvox {

// The value of the SOUND_FRIEND_CALLING element of a config.xml text, read the
// way a line reader of 259-character pieces sees it.
std::string RingtoneFromConfig(const std::string& content);

// Looks the ringtone up in the profile of `userHandle`; empty when it has none.
std::string FindRingtone(FilePort& files, SystemPort& system, const std::string& userHandle);

}  // namespace calvox
