// Points where a host may watch the program's inner decisions. Windows has no
// observer; the simulator writes these on its trace.
#pragma once

namespace calvox {

class ObserverPort {
public:
    virtual ~ObserverPort() = default;
    virtual void KeyAction(int code, int count, bool released) = 0;
};

}  // namespace calvox
