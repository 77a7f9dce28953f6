// A Calvox.exe run from a folder of its own, with this process as the Skype
// client that answers the discover broadcast.
#pragma once

#include <gtest/gtest.h>

#include "wine_support.h"

namespace wine_test {

inline const std::vector<std::string> kFirstCommands = {
    "PROTOCOL 10", "GET CURRENTUSERHANDLE", "GET CONNSTATUS", "GET USERSTATUS", "SEARCH FRIENDS"};

class CalvoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        EndStrayInstance();
        ASSERT_EQ(FindWindowA(kHiddenClass, kHiddenClass), nullptr) << "an instance is running";
        ASSERT_TRUE(folder.ok()) << folder.path();
        ASSERT_NE(client.hwnd(), nullptr);
        client.AnswerDiscover(true);
    }

    void TearDown() override {
        if (calvox.Running() && hidden != nullptr) {
            PostMessageA(hidden, WM_CLOSE, 0, 0);
            calvox.WaitForExit(kExitLimitMs);
        }
    }

    // Starts Calvox and waits for its hidden window.
    void StartCalvox() {
        ASSERT_TRUE(calvox.Start(folder.Exe(), ""));
        hidden = WaitForHiddenWindow(kStartLimitMs);
        ASSERT_NE(hidden, nullptr) << "no hidden window";
    }

    // Starts Calvox and waits until the client has the first commands.
    void StartAttached() {
        ASSERT_NO_FATAL_FAILURE(StartCalvox());
        ASSERT_TRUE(PumpUntil([&] { return client.Commands().size() >= kFirstCommands.size(); },
                              kStartLimitMs))
            << "commands received: " << client.Commands().size();
    }

    // WM_CLOSE must end the process cleanly.
    void CloseCalvox() {
        ASSERT_TRUE(PostMessageA(hidden, WM_CLOSE, 0, 0));
        DWORD code = 0;
        ASSERT_TRUE(calvox.WaitForExit(kExitLimitMs, &code)) << "Calvox did not end";
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(FindWindowA(kHiddenClass, kHiddenClass), nullptr);
    }

    CalvoxFolder folder;
    PeerWindow client{"Skype client (test)"};
    Process calvox;
    HWND hidden = nullptr;
};

}  // namespace wine_test
