// The set of ports one run of the program talks to.
#pragma once

#include "platform/audio_endpoint_port.h"
#include "platform/binary_file_port.h"
#include "platform/clock_port.h"
#include "platform/driver_port.h"
#include "platform/file_port.h"
#include "platform/hid_port.h"
#include "platform/log_port.h"
#include "platform/mixer_port.h"
#include "platform/observer_port.h"
#include "platform/profile_port.h"
#include "platform/registry_port.h"
#include "platform/shell_port.h"
#include "platform/sound_port.h"
#include "platform/system_port.h"
#include "platform/text_port.h"
#include "platform/thread_port.h"
#include "platform/usb_port.h"
#include "platform/window_port.h"

namespace calvox {

struct Platform {
    WindowPort& window;
    ClockPort& clock;
    ThreadPort& threads;
    ProfilePort& profile;
    FilePort& files;
    ShellPort& shell;
    TextPort& text;
    HidPort& hid;
    UsbPort& usb;
    AudioEndpointPort& endpoints;
    RegistryPort& registry;
    SystemPort& system;
    MixerPort& mixer;
    DriverPort& driver;
    SoundPort& sound;
    BinaryFilePort& binaryFiles;
    ObserverPort* observer = nullptr;
    LogPort* log = nullptr;
};

}  // namespace calvox
