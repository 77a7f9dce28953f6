// Calvox.exe: the Windows ports around the program's start-up.
#include <cstdlib>

#include "hub/startup.h"
#include "win32/win_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    calvox::win32::WinPlatform platform;
    calvox::RunProgram(platform.ports, commandLine != nullptr ? commandLine : "");
    return 0;
}

// A program without a console has nowhere to print why it is ended: the C++
// library's verbose handler for an uncaught exception, and the demangler it
// brings (some 50 KB), give way to a plain abort.
namespace __gnu_cxx {
void __verbose_terminate_handler();
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
