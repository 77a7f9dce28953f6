// The client's side alone: the link, the directory and the parser, on any
// platform, without the rest of the program.
#pragma once

#include "base/diagnostic_log.h"
#include "base/hub_window.h"
#include "client/historic_call_ids.h"
#include "client/notification_parser.h"
#include "client/skype_directory.h"
#include "client/transport.h"

namespace calvox::test {

struct ClientSession {
    explicit ClientSession(Platform& platform)
        : hubWindow(platform.window, platform.clock),
          link(platform.window, platform.text, log, hubWindow, messages),
          parser(platform, directory, historicIds, link) {}

    DiagnosticLog log{nullptr};
    HubWindow hubWindow;
    RegisteredMessageIds messages{};
    ClientLink link;
    SkypeDirectory directory;
    HistoricCallIds historicIds;
    NotificationParser parser;
};

}  // namespace calvox::test
