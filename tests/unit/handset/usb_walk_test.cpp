#include "handset/usb_walk.h"

#include <gtest/gtest.h>

namespace calvox {
namespace {

std::vector<std::uint8_t> Configuration(unsigned total, unsigned interfaces, bool audio) {
    std::vector<std::uint8_t> d = {9, 2, static_cast<std::uint8_t>(total & 0xFF),
                                   static_cast<std::uint8_t>(total >> 8),
                                   static_cast<std::uint8_t>(interfaces), 1, 0, 0x80, 50};
    std::vector<std::uint8_t> iface = {9, 4, 0, 0, 0, static_cast<std::uint8_t>(audio ? 1 : 3),
                                       1, 0, 0};
    d.insert(d.end(), iface.begin(), iface.end());
    std::vector<std::uint8_t> hid = {9, 0x21, 0x10, 0x01, 0, 1, 0x22, 0x40, 0};
    d.insert(d.end(), hid.begin(), hid.end());
    return d;
}

TEST(Fingerprint, HandsetsByLengthInterfacesAndAudio) {
    EXPECT_EQ(ClassifyConfiguration(Configuration(200, 3, true)), DeviceFingerprint::Handset);
    EXPECT_EQ(ClassifyConfiguration(Configuration(253, 4, true)), DeviceFingerprint::Handset);
    EXPECT_EQ(ClassifyConfiguration(Configuration(253, 5, true)), DeviceFingerprint::Unknown);
    EXPECT_EQ(ClassifyConfiguration(Configuration(200, 3, false)), DeviceFingerprint::Unknown);
    EXPECT_EQ(ClassifyConfiguration(Configuration(201, 3, true)), DeviceFingerprint::Unknown);
    EXPECT_EQ(ClassifyConfiguration(Configuration(144, 3, true)),
              DeviceFingerprint::OtherRecognised);
    EXPECT_EQ(ClassifyConfiguration(Configuration(340, 4, true)),
              DeviceFingerprint::OtherRecognised);
}

TEST(Fingerprint, WalkStaysInsideTheBytes) {
    auto d = Configuration(200, 3, true);
    d[9] = 1;  // a descriptor length below 2 ends the walk before the audio interface
    EXPECT_EQ(ClassifyConfiguration(d), DeviceFingerprint::Unknown);
    d = Configuration(200, 3, true);
    d[18] = 200;  // the last descriptor claims more than there is
    EXPECT_EQ(ClassifyConfiguration(d), DeviceFingerprint::Handset);
    d.resize(12);  // cut inside the interface descriptor
    EXPECT_EQ(ClassifyConfiguration(d), DeviceFingerprint::Unknown);
    EXPECT_EQ(ClassifyConfiguration({}), DeviceFingerprint::Unknown);
}

TEST(DeviceIdText, FourUpperCaseDigitsEach) {
    EXPECT_EQ(DeviceIdText(0x2bc7, 0xe), "VID_2BC7&PID_000E");
    EXPECT_EQ(DeviceIdText(0x1, 0xabcd), "VID_0001&PID_ABCD");
}

TEST(OsGeneration, FromTheVersionRecord) {
    EXPECT_EQ(OsGenerationOf({4, 0, 1, ""}), 0);
    EXPECT_EQ(OsGenerationOf({4, 10, 1, ""}), 1);
    EXPECT_EQ(OsGenerationOf({4, 10, 1, " A "}), 2);
    EXPECT_EQ(OsGenerationOf({4, 90, 1, ""}), 3);
    EXPECT_EQ(OsGenerationOf({4, 0, 2, ""}), 4);
    EXPECT_EQ(OsGenerationOf({5, 0, 2, ""}), 5);
    EXPECT_EQ(OsGenerationOf({5, 1, 2, ""}), 6);
    EXPECT_EQ(OsGenerationOf({5, 2, 2, ""}), 6);
    EXPECT_EQ(OsGenerationOf({6, 1, 2, ""}), 7);
}

TEST(EndpointLookup, RegistryKeyFromTheInterfacePath) {
    const std::string category = FormatGuid(kRenderCategory);
    EXPECT_EQ(category, "{65E8773E-8F56-11D0-A3B9-00A0C9223196}");
    EXPECT_EQ(InterfaceParametersKey(category,
                                     "\\\\?\\USB#VID_2BC7&PID_000E&MI_00#7&1&0#{65E8773E-8F56-"
                                     "11D0-A3B9-00A0C9223196}\\GLOBAL"),
              "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{65E8773E-8F56-11D0-A3B9-"
              "00A0C9223196}\\##?#USB#VID_2BC7&PID_000E&MI_00#7&1&0#{65E8773E-8F56-11D0-A3B9-"
              "00A0C9223196}\\#GLOBAL\\Device Parameters");
    EXPECT_EQ(InterfaceParametersKey(category, "ab"),
              "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{65E8773E-8F56-11D0-A3B9-"
              "00A0C9223196}\\##\\Device Parameters");
}

}  // namespace
}  // namespace calvox
