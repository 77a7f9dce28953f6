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

class WinDriver final : public DriverPort {
public:
    bool InitializeCom() override { return SUCCEEDED(::CoInitialize(nullptr)); }

    void UninitializeCom() override { ::CoUninitialize(); }

    DriverObject Create(const Guid& classId, const Guid& interfaceId) override {
        const GUID classGuid = ToGUID(classId);
        const GUID interfaceGuid = ToGUID(interfaceId);
        void* object = nullptr;
        if (FAILED(::CoCreateInstance(classGuid, nullptr, CLSCTX_INPROC_SERVER, interfaceGuid,
                                      &object)))
            return 0;
        return reinterpret_cast<DriverObject>(object);
    }

    void ReleaseObject(DriverObject object) override { ToControl(object)->Release(); }

    int Set(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) override {
        return ToControl(object)->Set(property, block, size);
    }

    int Get(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) override {
        return ToControl(object)->Get(property, block, size);
    }
};

}  // namespace

std::unique_ptr<DriverPort> MakeDriverPort() { return std::make_unique<WinDriver>(); }

}  // namespace calvox::win32
