// The handset driver's wave control object, a COM object of the driver package.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace calvox {

using DriverObject = std::uintptr_t;  // 0 = none

class DriverPort {
public:
    virtual ~DriverPort() = default;

    // COM for the calling thread (CoInitialize / CoUninitialize).
    virtual bool InitializeCom() = 0;
    virtual void UninitializeCom() = 0;
    // CoCreateInstance in-process; 0 when it fails.
    virtual DriverObject Create(const Guid& classId, const Guid& interfaceId) = 0;
    virtual void ReleaseObject(DriverObject object) = 0;
    // The object's Set and Get: non-zero on success.
    virtual int Set(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) = 0;
    virtual int Get(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) = 0;
};

}  // namespace calvox
