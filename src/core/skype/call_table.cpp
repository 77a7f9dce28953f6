#include "skype/call_table.h"

namespace calvox {

// No calls are tracked yet, so no indicator is lit.
bool HasUnseenMissedCall(const App&) { return false; }
bool HasLiveHeldCall(const App&) { return false; }
bool HasLiveConferenceCall(const App&) { return false; }

}  // namespace calvox
