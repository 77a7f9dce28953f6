// Queries of the call table that the hub's indicators use.
#pragma once

#include "app/app.h"

namespace calvox {

bool HasUnseenMissedCall(const App& app);
bool HasLiveHeldCall(const App& app);
bool HasLiveConferenceCall(const App& app);

}  // namespace calvox
