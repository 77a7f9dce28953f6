#include "skype/notification_parser.h"

#include <memory>

namespace calvox {

void HandleNotification(App&, Hwnd, char* text) {
    std::unique_ptr<char[]> owned(text);
    // The grammar of calls, users and status arrives with the call table.
}

}  // namespace calvox
