// The virtual mixer devices: the declared ones, then one per handset that is
// plugged in, each with the same two destinations and their microphone sources.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/mixer_port.h"

namespace calvox::sim {

class VirtualMixers : public MixerPort {
public:
    // `trace` receives each line of the `mixer` channel.
    explicit VirtualMixers(std::function<void(const std::string&)> trace)
        : trace_(std::move(trace)) {}

    // A declared device (name in code page 1252); always present.
    void Declare(const std::string& name);
    // Handset `handset`'s device: the first declared one of that name that no
    // handset has taken yet, else a new one after the declared ones. It comes
    // and goes with the handset; call in handset order after every Declare.
    void AttachHandset(int handset, const std::string& name);
    // Plugging in gives a device with its controls as they start.
    void SetPresent(int handset, bool present);

    // The line ids that `mixer-event` reports: the wave-in microphone line, and
    // the speakers volume control.
    static std::uint32_t ChangedLineId();
    static std::uint32_t ChangedControlId();
    struct Callback {
        Hwnd window;
        MixerHandle mixer;
    };
    // The handles open on the handset's device with a callback window.
    std::vector<Callback> CallbacksOf(int handset) const;
    // A change from outside (`mixer-set`), not traced. LINE and CONTROL as on
    // the trace; `onoffName` names the on/off control. False with `error` set
    // when the device has no such control or the values do not fit it.
    bool SetFromOutside(int handset, const std::string& line, const std::string& control,
                        const std::string& onoffName, const std::vector<std::uint32_t>& values,
                        std::string& error);
    // The current values of a control, for checks (empty when there is none).
    std::vector<std::uint32_t> ValuesOf(int handset, const std::string& line,
                                        const std::string& control,
                                        const std::string& onoffName = "") const;
    bool IsHandle(std::uintptr_t handle) const { return open_.count(handle) > 0; }

    // MixerPort
    unsigned GetDeviceCount() override;
    bool GetDeviceName(unsigned id, std::string& name) override;
    MixerHandle Open(unsigned id, Hwnd callbackWindow) override;
    void Close(MixerHandle mixer) override;
    bool GetDestinationCount(MixerHandle mixer, std::uint32_t& count) override;
    bool GetDestination(MixerHandle mixer, std::uint32_t destination, MixerLine& line) override;
    bool GetSource(MixerHandle mixer, std::uint32_t destination, std::uint32_t source,
                   MixerLine& line) override;
    bool GetControlByType(MixerHandle mixer, std::uint32_t lineId, std::uint32_t type,
                          MixerControl& control) override;
    bool GetAllControls(MixerHandle mixer, const MixerLine& line,
                        std::vector<MixerControl>& controls) override;
    bool GetValues(MixerHandle mixer, std::uint32_t controlId, std::uint32_t channels,
                   std::vector<std::uint32_t>& values) override;
    bool SetValues(MixerHandle mixer, std::uint32_t controlId,
                   const std::vector<std::uint32_t>& values) override;

    std::string LastError() override { return lastError_; }

private:
    struct Control {
        std::uint32_t id;
        std::uint32_t type;
        std::string name;
        std::size_t line;                   // index into the line table
        std::vector<std::uint32_t> values;  // one per channel; one for a uniform control
    };
    struct Device {
        std::string name;
        int handset = -1;  // -1: a declared device that no handset took
        bool present = true;
        unsigned generation = 0;  // counts plugs, so handles of a removed device stay dead
        std::vector<Control> controls;
    };
    struct Handle {
        std::size_t device;
        unsigned generation;
        Hwnd callback;
    };

    Device* DeviceOf(MixerHandle mixer);
    Device* HandsetDevice(int handset);
    const Device* HandsetDevice(int handset) const;
    static Control* Find(Device& device, const std::string& line, const std::string& control,
                         const std::string& onoffName);
    static std::vector<Control> FreshControls();

    std::function<void(const std::string&)> trace_;
    std::vector<Device> devices_;
    std::map<MixerHandle, Handle> open_;
    MixerHandle nextHandle_ = 0x80000000u;
    std::string lastError_;
};

}  // namespace calvox::sim
