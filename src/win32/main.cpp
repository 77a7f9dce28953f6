// Calvox.exe: the Windows ports around the program's start-up.
#include "app/app.h"
#include "win32/win_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    calvox::win32::WinPlatform platform;
    calvox::RunProgram(platform.ports, commandLine != nullptr ? commandLine : "");
    return 0;
}
