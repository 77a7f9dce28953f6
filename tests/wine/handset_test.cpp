// The real Calvox.exe with a virtual handset met through Windows' own USB,
// HID and device-change paths: the test program plays the Skype client,
// plugs and unplugs the device, presses its keys and reads what it was sent.
#include <algorithm>

#include "calvox_fixture.h"
#include "virtual_handset.h"

namespace wine_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class HandsetTest : public CalvoxTest {
protected:
    void TearDown() override {
        CalvoxTest::TearDown();
        EXPECT_TRUE(handset.Unplug()) << "the virtual handset stays";
    }

    void PlugAndStart(const HandsetConfig& config = {}) {
        ASSERT_TRUE(handset.Plug(config)) << "the virtual handset did not start";
        ASSERT_NO_FATAL_FAILURE(StartAttached());
    }

    VirtualHandset handset;
    std::vector<OutputReport> log;
};

TEST_F(HandsetTest, StartUpProbesTheMicrocontrollerAndSendsTheHelloSequence) {
    ASSERT_NO_FATAL_FAILURE(PlugAndStart());
    const Bytes status = {0x40, 0x99, 0x02, 0x00};
    ASSERT_TRUE(handset.CollectUntil(
        log,
        [&](const std::vector<OutputReport>& got) {
            return std::any_of(got.begin(), got.end(),
                               [&](const OutputReport& r) { return Body(r) == status; });
        },
        8000))
        << "reports: " << log.size();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(Body(log[0]), (Bytes{0x40, 0x9F, 0x00, 0x00}));
    EXPECT_EQ(Body(log[1]), (Bytes{0x40, 0x9E, 0x00, 0x00}));
    for (const OutputReport& r : log) EXPECT_EQ(r.bytes.size(), 8u);
    ASSERT_NO_FATAL_FAILURE(CloseCalvox());
}

}  // namespace
}  // namespace wine_test
