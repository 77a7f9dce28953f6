// The handset driver's control object, when `driver` installs it: its
// channels start and stop playing a file, and queries reply what the
// scenario says.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "platform/driver_port.h"
#include "sim/trace.h"

namespace calvox::sim {

class VirtualDriver : public DriverPort {
public:
    explicit VirtualDriver(TraceWrite write) : write_(std::move(write)) {}

    void Install(bool refuse) {
        installed_ = true;
        refuse_ = refuse;
    }
    // Every Set fails while the driver refuses.
    void SetRefusing(bool refuse) { refuse_ = refuse; }
    // What a query of `channel` replies; nullopt: the query fails.
    void SetStatus(std::uint32_t channel, std::optional<std::int32_t> value) {
        status_[channel] = value;
    }

    bool InitializeCom() override { return true; }
    void UninitializeCom() override {}
    DriverObject Create(const Guid& classId, const Guid& interfaceId) override;
    void ReleaseObject(DriverObject) override {}
    int Set(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) override;
    int Get(DriverObject object, std::uint32_t property, void* block, std::uint32_t size) override;

private:
    TraceWrite write_;
    bool installed_ = false;
    bool refuse_ = false;
    std::map<std::uint32_t, std::optional<std::int32_t>> status_;
    std::int32_t lastReply_ = 0;
};

}  // namespace calvox::sim
