// The handset driver's control object through COM.
#include <objbase.h>

#include "win32/win_platform.h"

namespace calvox::win32 {

// The driver's interface: IUnknown, then Set and Get, which answer non-zero
// on success (not an HRESULT). Not in an unnamed namespace: there the compiler
// would see that nothing in this file implements it and drop the calls.
struct DriverControl : IUnknown {
    virtual int STDMETHODCALLTYPE Set(ULONG property, void* block, ULONG size) = 0;
    virtual int STDMETHODCALLTYPE Get(ULONG property, void* block, ULONG size) = 0;
};

namespace {

DriverControl* ToControl(DriverObject object) { return reinterpret_cast<DriverControl*>(object); }

}  // namespace

bool WinDriver::InitializeCom() { return SUCCEEDED(::CoInitialize(nullptr)); }

void WinDriver::UninitializeCom() { ::CoUninitialize(); }

DriverObject WinDriver::Create(const Guid& classId, const Guid& interfaceId) {
    const GUID classGuid = ToGUID(classId);
    const GUID interfaceGuid = ToGUID(interfaceId);
    void* object = nullptr;
    if (FAILED(
            ::CoCreateInstance(classGuid, nullptr, CLSCTX_INPROC_SERVER, interfaceGuid, &object)))
        return 0;
    return reinterpret_cast<DriverObject>(object);
}

void WinDriver::ReleaseObject(DriverObject object) { ToControl(object)->Release(); }

int WinDriver::Set(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) {
    return ToControl(object)->Set(property, block, size);
}

int WinDriver::Get(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) {
    return ToControl(object)->Get(property, block, size);
}

}  // namespace calvox::win32
