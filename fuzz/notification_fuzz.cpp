// The client's notifications, one a line, through the hub's way in: every
// line of one input reaches the same program, so calls and contacts pile up
// and later lines meet what earlier ones built.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "hub/app.h"
#include "client/notification_parser.h"
#include "support/null_platform.h"

namespace {

// The contact list must stay in list order, and each record must be found
// again by its number and (for the first of its handle) by its handle.
void CheckContacts(calvox::SkypeDirectory& directory) {
    const auto& list = directory.Contacts();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const calvox::UserRecord* u = list[i];
        if (directory.FindContactByNumber(u->number) != u) std::abort();
        const calvox::UserRecord* first = directory.FindContactByHandle(u->handle);
        if (first == nullptr || first->handle != u->handle) std::abort();
        if (i > 0) {
            const calvox::UserRecord* p = list[i - 1];
            const int c = p->displayName.compare(u->displayName);
            if (c > 0 || (c == 0 && p->number < u->number)) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    calvox::test::NullPlatform platform;
    calvox::App app(platform.ports);
    app.hub.skypeApiWindow = calvox::test::NullPlatform::kClient;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
        const std::size_t end = std::min(input.find('\n'), input.size());
        // The hub's heap copy of the client's text, owned by the parser.
        char* block = new char[end + 1];
        std::memcpy(block, input.data(), end);
        block[end] = '\0';
        calvox::HandleNotification(app, 1, block);
        input.remove_prefix(std::min(end + 1, input.size()));
    }
    CheckContacts(app.directory);
    return 0;
}
