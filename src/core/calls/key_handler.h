// What each key function does in each call state.
#pragma once

#include <string>

#include "platform/file_port.h"

namespace calvox {

// Codes produced by the handset's microcontroller rather than by a key slot.
enum class McuAction : int {
    FirstDialCharacter = 0xA1,  // 0xA1-0xAC: "123456789*0#"
    LastDialCharacter = 0xAC,
    ClearAddressBar = 0xB1,
    Answer = 0xB2,
    AnswerToo = 0xB3,
    StartAnsweringMachine = 0xB4,
    AnswerToVoicemail = 0xB5,
    PressYes = 0xB6,
    StopOrFinish = 0xB7,
    StopOrFinishToo = 0xB8,
    Ignored = 0xB9,
    StartCallRecording = 0xBA,
    CallContact = 0xE0,  // count carries the contact id
};

// Codes that neither answer a ringing call nor wait for the client to come
// forward: the settings and sound keys and every microcontroller code.
constexpr bool IsExemptCode(int code) { return (code & 0xA0) != 0; }

// The dial character of a microcontroller dial code, 0 for any other code.
char McuDialCharacter(int code);

// The call recording ("*.wav" in `folder`) made last: the latest creation
// time, the later file in the listing on a tie. False when none gives a time.
bool FindNewestRecording(FilePort& files, const std::string& folder, std::string& newest);

}  // namespace calvox
