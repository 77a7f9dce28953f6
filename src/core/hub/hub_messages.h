// The hub's vocabulary lives with the base so every part can name it; this
// header keeps the older include path for the simulator.
#pragma once

#include "base/hub_messages.h"
