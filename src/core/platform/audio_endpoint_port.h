// Audio device interfaces of a category and what the devices say of themselves.
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"

namespace calvox {

enum class ComponentIdResult { OpenFailed, NotRead, Read };

class AudioEndpointPort {
public:
    virtual ~AudioEndpointPort() = default;

    // For each present device of the category (in order, at most `maxDevices`),
    // the paths of its interfaces of that category (at most `maxInterfaces`).
    virtual std::vector<std::vector<std::string>> EnumerateCategory(const Guid& category,
                                                                    int maxDevices,
                                                                    int maxInterfaces) = 0;
    // Opens the interface and asks for its component id (KSPROPERTY_GENERAL_COMPONENTID);
    // `nameGuid` is the component's name GUID.
    virtual ComponentIdResult QueryComponentName(const std::string& path, Guid& nameGuid) = 0;
};

}  // namespace calvox
