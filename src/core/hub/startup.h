// The start-up of one process: the launcher or the resident role.
#pragma once

#include <string>

#include "platform/platform.h"

namespace calvox {

// Returns when the process would end.
void RunProgram(Platform& platform, const std::string& commandLine);

// The launcher role's prefix, and what it opens: the text after the prefix
// where it was found; empty when the command line holds no prefix.
inline constexpr const char* kLinkPrefix = "SKYPELINK-";
bool FindLaunchLink(const std::string& commandLine, std::string& link);

// The hidden window's class and creation parameters.
WindowClassSpec HiddenWindowClass();
WindowCreateSpec HiddenWindowCreation();

}  // namespace calvox
