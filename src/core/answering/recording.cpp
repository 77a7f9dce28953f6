#include "answering/recording.h"

namespace calvox {

// Recording needs the call table and the driver's wave recorder; without them
// there is never a call to record.
void SwitchVoicemailRecording(App&, Hwnd, bool) {}
void SwitchCallRecording(App&, Hwnd, bool) {}

}  // namespace calvox
