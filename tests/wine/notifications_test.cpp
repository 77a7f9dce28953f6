// The client's notifications reach Calvox.exe over WM_COPYDATA and are
// answered with the queries they call for; the contact list lands in Calvox.ini.
#include "calvox_fixture.h"

namespace wine_test {
namespace {

class NotificationTest : public CalvoxTest {
protected:
    // Sends one notification and returns the commands it brought back.
    std::vector<std::string> Notify(const std::string& text, std::size_t expected) {
        std::size_t before = client.Commands().size();
        EXPECT_EQ(SendCopyData(hidden, client.hwnd(), text), 1);
        EXPECT_TRUE(PumpUntil([&] { return client.Commands().size() >= before + expected; }, 3000))
            << text;
        PumpFor(100);  // and nothing more
        std::vector<std::string> all = client.Commands();
        return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before),
                                        all.end());
    }

    std::string IniValue(const char* key) {
        char value[64] = {};
        GetPrivateProfileStringA("HANDLES", key, "", value, sizeof value,
                                 folder.File("Calvox.ini").c_str());
        return value;
    }
};

TEST_F(NotificationTest, UnknownCallIsLookedUpPropertyByProperty) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    EXPECT_EQ(Notify("CALL 4711 STATUS RINGING", 1),
              std::vector<std::string>{"GET CALL 4711 TIMESTAMP"});
    EXPECT_EQ(Notify("CALL 4711 TIMESTAMP 1161234567", 6),
              (std::vector<std::string>{"GET CALL 4711 TYPE", "GET CALL 4711 PARTNER_DISPNAME",
                                        "GET CALL 4711 PARTNER_HANDLE", "GET CALL 4711 CONF_ID",
                                        "GET CALL 4711 SEEN", "GET CALL 4711 STATUS"}));
    // Known now: its timestamp again asks for nothing.
    EXPECT_TRUE(Notify("CALL 4711 TIMESTAMP 1161234567", 0).empty());
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

TEST_F(NotificationTest, ContactListIsQueriedAndWrittenBesideTheProgram) {
    ASSERT_NO_FATAL_FAILURE(StartAttached());
    EXPECT_EQ(Notify("USERS alice, bob", 5),
              (std::vector<std::string>{"GET USER alice FULLNAME", "GET USER alice ONLINESTATUS",
                                        "GET USER bob FULLNAME", "GET USER bob ONLINESTATUS",
                                        "SEARCH CALLS"}));
    EXPECT_EQ(IniValue("KEY0"), "alice");
    EXPECT_EQ(IniValue("KEY1"), "bob");
    EXPECT_EQ(IniValue("COUNT"), "2");
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

}  // namespace
}  // namespace wine_test
