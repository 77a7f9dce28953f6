// The wave player and recorder that the handset's driver offers.
#pragma once

namespace calvox {

class DriverWavePlayer {
public:
    bool IsPresent() const { return present_; }
    // Stops what plays or records and lets go of the driver's object.
    void StopAndRelease() { present_ = false; }

private:
    bool present_ = false;
};

}  // namespace calvox
