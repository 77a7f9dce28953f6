// Pauses of the call actions that several handlers share.
#pragma once

namespace calvox {

// The pause between hanging up and resuming a held call.
inline constexpr unsigned kResumePauseMs = 500;
// What the client gets to take a key posted to its address bar.
inline constexpr unsigned kPostedKeyPauseMs = 50;
// What the client gets to come forward after "FOCUS".
inline constexpr unsigned kFocusPauseMs = 500;

}  // namespace calvox
