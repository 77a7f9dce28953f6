// The buzzer thread: one beep each time the buzzer event is signalled.
#pragma once

#include "hub/app.h"

namespace calvox {

inline constexpr const char* kBuzzerEventName = "ZVK_HID_BUZZER_EVENT";
inline constexpr std::uint32_t kWorkerStopLimitMs = 1000;

void StartBuzzerThread(App& app);
void StopBuzzerThread(App& app);

}  // namespace calvox
