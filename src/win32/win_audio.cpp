// The mixer devices through WINMM.
#include <memory>

#include "win32/win_platform.h"

namespace calvox::win32 {

namespace {

HMIXER ToMixer(MixerHandle mixer) { return reinterpret_cast<HMIXER>(mixer); }
HMIXEROBJ ToObject(MixerHandle mixer) { return reinterpret_cast<HMIXEROBJ>(mixer); }

MixerLine FromLine(const MIXERLINEA& info) {
    MixerLine line;
    line.lineId = info.dwLineID;
    line.componentType = info.dwComponentType;
    line.channels = info.cChannels;
    line.connections = info.cConnections;
    return line;
}

bool LineInfo(MixerHandle mixer, MIXERLINEA& info, DWORD how) {
    info.cbStruct = sizeof info;
    return ::mixerGetLineInfoA(ToObject(mixer), &info, MIXER_OBJECTF_HMIXER | how) ==
           MMSYSERR_NOERROR;
}

MixerControl FromControl(const MIXERCONTROLA& info) {
    MixerControl control;
    control.controlId = info.dwControlID;
    control.type = info.dwControlType;
    control.name = info.szName;
    return control;
}

// One unsigned value per channel; no items.
MIXERCONTROLDETAILS DetailsOf(std::uint32_t controlId,
                              std::vector<MIXERCONTROLDETAILS_UNSIGNED>& v) {
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = controlId;
    details.cChannels = static_cast<DWORD>(v.size());
    details.cMultipleItems = 0;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
    details.paDetails = v.data();
    return details;
}

class WinMixer final : public MixerPort {
public:
    unsigned GetDeviceCount() override { return ::mixerGetNumDevs(); }

    bool GetDeviceName(unsigned id, std::string& name) override {
        MIXERCAPSA caps{};
        if (::mixerGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) return false;
        name = caps.szPname;
        return true;
    }

    MixerHandle Open(unsigned id, Hwnd callbackWindow) override {
        HMIXER mixer = nullptr;
        DWORD flags = MIXER_OBJECTF_MIXER | (callbackWindow != 0 ? CALLBACK_WINDOW : 0);
        const MMRESULT result = ::mixerOpen(&mixer, id, callbackWindow, 0, flags);
        if (result != MMSYSERR_NOERROR) {
            Fail("mixerOpen", result);
            return 0;
        }
        return reinterpret_cast<MixerHandle>(mixer);
    }

    void Close(MixerHandle mixer) override { ::mixerClose(ToMixer(mixer)); }

    bool GetDestinationCount(MixerHandle mixer, std::uint32_t& count) override {
        MIXERCAPSA caps{};
        // The capabilities of an open mixer, asked by its handle.
        if (::mixerGetDevCapsA(mixer, &caps, sizeof caps) != MMSYSERR_NOERROR) return false;
        count = caps.cDestinations;
        return true;
    }

    bool GetDestination(MixerHandle mixer, std::uint32_t destination, MixerLine& line) override {
        MIXERLINEA info{};
        info.dwDestination = destination;
        if (!LineInfo(mixer, info, MIXER_GETLINEINFOF_DESTINATION)) return false;
        line = FromLine(info);
        return true;
    }

    bool GetSource(MixerHandle mixer, std::uint32_t destination, std::uint32_t source,
                   MixerLine& line) override {
        MIXERLINEA info{};
        info.dwDestination = destination;
        info.dwSource = source;
        if (!LineInfo(mixer, info, MIXER_GETLINEINFOF_SOURCE)) return false;
        line = FromLine(info);
        return true;
    }

    bool GetControlByType(MixerHandle mixer, std::uint32_t lineId, std::uint32_t type,
                          MixerControl& control) override {
        MIXERCONTROLA info{};
        info.cbStruct = sizeof info;
        MIXERLINECONTROLSA request{};
        request.cbStruct = sizeof request;
        request.dwLineID = lineId;
        request.dwControlType = type;
        request.cControls = 1;
        request.cbmxctrl = sizeof info;
        request.pamxctrl = &info;
        if (::mixerGetLineControlsA(ToObject(mixer), &request,
                                    MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
            MMSYSERR_NOERROR)
            return false;
        control = FromControl(info);
        return true;
    }

    bool GetAllControls(MixerHandle mixer, const MixerLine& line,
                        std::vector<MixerControl>& controls) override {
        // The port's line does not carry its control count: ask the line again.
        MIXERLINEA info{};
        info.dwLineID = line.lineId;
        if (!LineInfo(mixer, info, MIXER_GETLINEINFOF_LINEID)) return false;
        controls.clear();
        if (info.cControls == 0) return true;
        std::vector<MIXERCONTROLA> all(info.cControls);
        for (MIXERCONTROLA& c : all) c.cbStruct = sizeof c;
        MIXERLINECONTROLSA request{};
        request.cbStruct = sizeof request;
        request.dwLineID = line.lineId;
        request.cControls = info.cControls;
        request.cbmxctrl = sizeof(MIXERCONTROLA);
        request.pamxctrl = all.data();
        if (::mixerGetLineControlsA(ToObject(mixer), &request,
                                    MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) !=
            MMSYSERR_NOERROR)
            return false;
        for (const MIXERCONTROLA& c : all) controls.push_back(FromControl(c));
        return true;
    }

    bool GetValues(MixerHandle mixer, std::uint32_t controlId, std::uint32_t channels,
                   std::vector<std::uint32_t>& values) override {
        std::vector<MIXERCONTROLDETAILS_UNSIGNED> read(channels);
        MIXERCONTROLDETAILS details = DetailsOf(controlId, read);
        if (::mixerGetControlDetailsA(ToObject(mixer), &details,
                                      MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
            MMSYSERR_NOERROR)
            return false;
        values.clear();
        for (const MIXERCONTROLDETAILS_UNSIGNED& v : read) values.push_back(v.dwValue);
        return true;
    }

    bool SetValues(MixerHandle mixer, std::uint32_t controlId,
                   const std::vector<std::uint32_t>& values) override {
        std::vector<MIXERCONTROLDETAILS_UNSIGNED> written;
        for (std::uint32_t v : values) written.push_back({v});
        MIXERCONTROLDETAILS details = DetailsOf(controlId, written);
        return ::mixerSetControlDetails(ToObject(mixer), &details,
                                        MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) ==
               MMSYSERR_NOERROR;
    }

    std::string LastError() override { return lastError_; }

private:
    // "mixerOpen failed: MMRESULT 2 (...)", with winmm's own text.
    void Fail(const char* call, MMRESULT result) {
        char said[MAXERRORLENGTH] = "";
        lastError_ = std::string(call) + " failed: MMRESULT " + std::to_string(result);
        if (::waveOutGetErrorTextA(result, said, sizeof said) == MMSYSERR_NOERROR && said[0] != 0)
            lastError_ += std::string(" (") + said + ")";
    }

    std::string lastError_;
};

}  // namespace

std::unique_ptr<MixerPort> MakeMixerPort() { return std::make_unique<WinMixer>(); }

}  // namespace calvox::win32
