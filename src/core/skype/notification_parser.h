// Texts from the Skype client.
#pragma once

#include "app/app.h"

namespace calvox {

// Parses one notification; takes ownership of the text block (new char[]).
void HandleNotification(App& app, Hwnd hubWindow, char* text);

}  // namespace calvox
