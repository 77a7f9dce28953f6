// Points where a host may watch the program's inner decisions. Windows has no
// observer; the simulator writes these on its trace.
#pragma once

#include <string>

namespace calvox {

class ObserverPort {
public:
    virtual ~ObserverPort() = default;
    virtual void KeyAction(int code, int count, bool released) = 0;
    // The sound player was asked to load a file ("" for the built-in sound).
    virtual void SoundLoad(const std::string& file) = 0;
    // The recorder started capturing into a file / a capturing recorder stopped.
    virtual void RecorderStart(const std::string& device, const std::string& file) = 0;
    virtual void RecorderStop() = 0;
};

}  // namespace calvox
