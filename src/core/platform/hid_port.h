// HID class services.
#pragma once

#include "platform/types.h"

namespace calvox {

class HidPort {
public:
    virtual ~HidPort() = default;

    virtual Guid GetHidGuid() = 0;
};

}  // namespace calvox
