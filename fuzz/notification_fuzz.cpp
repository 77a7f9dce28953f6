// The client's notifications, one a line, into the parser and its directory
// alone: every line of one input reaches the same directory, so calls and
// contacts pile up and later lines meet what earlier ones built.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "client/notification_parser.h"
#include "support/client_session.h"
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

// What an event names is in the directory as it stands after the parse.
void CheckEvents(calvox::SkypeDirectory& directory, const calvox::ClientEvents& events) {
    for (const calvox::ClientEvent& event : events) {
        if (event.kind == calvox::ClientEventKind::CallStatusChanged &&
            (event.call == nullptr || directory.FindCall(event.call->id) != event.call))
            std::abort();
        if (event.kind == calvox::ClientEventKind::ContactPresenceChanged &&
            (event.contact == nullptr ||
             directory.FindContactByHandle(event.contact->handle) == nullptr))
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    calvox::test::NullPlatform platform;
    calvox::test::ClientSession client(platform.ports);
    client.link.SetApiWindow(calvox::test::NullPlatform::kClient);
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
        const std::size_t end = std::min(input.find('\n'), input.size());
        // The link's heap copy of the client's text, ended by a NUL of its own.
        std::unique_ptr<char[]> block(new char[end + 1]);
        std::memcpy(block.get(), input.data(), end);
        block[end] = '\0';
        CheckEvents(client.directory, client.parser.Parse(block.get()));
        input.remove_prefix(std::min(end + 1, input.size()));
    }
    CheckContacts(client.directory);
    return 0;
}
