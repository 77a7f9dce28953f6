// The Skype client's per-user profile: the ringtone for calls from friends.
#pragma once

#include <string>

#include "hub/app.h"

namespace calvox {

// The value of the SOUND_FRIEND_CALLING element of a config.xml text, read the
// way a line reader of 259-character pieces sees it.
std::string RingtoneFromConfig(const std::string& content);

// Looks the ringtone up for the current user handle; true when one was found.
bool FindRingtone(App& app);

}  // namespace calvox
