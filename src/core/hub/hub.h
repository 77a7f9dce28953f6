// The event hub: the window procedure of the hidden window. Every event of the
// program arrives here as a message and is handled on this one thread.
#pragma once

#include "hub/app.h"

namespace calvox {

LResult HubWindowProc(App& app, Hwnd window, unsigned message, WParam wParam, LParam lParam);

// Arrival pairing of the handset's two interfaces: the re-initialisation delay
// to start, or 0 for none.
std::uint32_t PairArrivals(std::int64_t& audioArrivalTime, std::int64_t& hidArrivalTime);

}  // namespace calvox
