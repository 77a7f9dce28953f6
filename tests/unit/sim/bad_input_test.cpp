// Input nobody should send, each with the result the program defines: from the
// client's side of WM_COPYDATA, the settings file and the handset's reports.
// Each case is a scenario whose expects state the outcome; the run must end
// with every expect held.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/script.h"
#include "sim/simulation.h"

namespace calvox::sim {
namespace {

// Runs a scenario; its exit code, the trace in `out`.
int RunScenario(const std::string& source, std::string& out) {
    Script script;
    ParseError error;
    if (!ParseScript(source, script, error)) return 2;
    std::ostringstream trace, errors;
    Simulation sim(trace, errors);
    if (!sim.ApplyWorld(script.world, error)) return 2;
    ScriptSteps steps(std::move(script.steps));
    const int code = sim.Run(steps);
    out = errors.str() + trace.str();
    return code;
}

std::size_t CountLines(const std::string& trace, const std::string& part) {
    std::size_t n = 0;
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) n += line.find(part) != std::string::npos;
    return n;
}

std::string CallList(int count) {
    std::string list = "CALLS 1";
    for (int i = 2; i <= count; ++i) list += ", " + std::to_string(i);
    return list;
}

const std::string kAttached = "handset\nclient\nstart\nwait 1000\n";

TEST(BadInput, ClientTextsHandledCutOrRefused) {
    struct Case {
        const char* what;
        std::string steps;
        const char* counted = "";  // a trace line to count, when expects cannot say it
        std::size_t count = 0;
    };
    const std::string mb(1 << 20, 'x');
    const Case cases[] = {
        {"1 MB of an unknown word: ignored, the link goes on",
         "skype " + mb +
             "\nexpect none skype<\nskype CALL 5 STATUS RINGING\n"
             "expect skype< GET CALL 5 TIMESTAMP\n"},
        {"a call id of 300,000 digits: asked for whole",
         "skype CALL " + std::string(300000, '9') + " STATUS RINGING\nexpect skype< GET CALL " +
             std::string(300000, '9') + " TIMESTAMP\n"},
        {"1 MB display name: kept to 259 characters, shown in 130 reports",
         "skype CALL 5 TIMESTAMP 1161234500\nskype CALL 5 PARTNER_DISPNAME " + mb +
             "\nforeground client\nskype CALL 5 STATUS RINGING\n",
         "hid< 40 83 78", 130},
        {"bytes that are not UTF-8: each becomes ?",
         "skype-bytes 43 41 4c 4c 20 ff fe 20 53 54 41 54 55 53 20 52 49 4e 47 49 4e 47\n"
         "expect skype< GET CALL ?? TIMESTAMP\n"},
        {"an embedded NUL ends the text",
         "skype-bytes 43 41 4c 4c 20 36 00 20 53 54 41 54 55 53 20 52 49 4e 47\n"
         "expect none skype<\n"
         "skype-bytes 43 41 4c 4c 20 37 20 53 54 41 54 55 53 20 52 49 4e 47 49 4e 47 00 43 41\n"
         "expect skype< GET CALL 7 TIMESTAMP\n"},
        {"a window that is not the client's: refused",
         "skype-from-other CALL 9 STATUS RINGING\nexpect none skype<\n"},
        {"a notify message posted by anyone, naming no text of ours: ignored",
         "post HUBM_SKYPE_NOTIFY 0x1234 0\nexpect none skype<\npost HUBM_SKYPE_NOTIFY 0 0\n"
         "skype CALL 5 STATUS RINGING\nexpect skype< GET CALL 5 TIMESTAMP\n"},
    };
    for (const Case& c : cases) {
        std::string trace;
        EXPECT_EQ(RunScenario(kAttached + c.steps, trace), 0) << c.what << "\n"
                                                              << trace.substr(0, 4000);
        if (*c.counted != '\0') {
            EXPECT_EQ(CountLines(trace, c.counted), c.count) << c.what;
        }
    }
}

TEST(BadInput, TenThousandCallsAreEachAskedForOnce) {
    std::string trace;
    ASSERT_EQ(RunScenario(kAttached + "skype " + CallList(10000) + "\n", trace), 0);
    EXPECT_EQ(CountLines(trace, " TIMESTAMP"), 10000u);
    EXPECT_EQ(CountLines(trace, "GET CALL 10000 TIMESTAMP"), 1u);
}

TEST(BadInput, SettingsOfEveryExtreme) {
    const std::string big(65536, 'L');
    // A display line of 64 KB is cut to 259 characters: 130 text reports.
    std::string trace;
    ASSERT_EQ(RunScenario("handset\nini [LOGO] LINE1=" + big + "\nstart\nwait 1000\n", trace), 0);
    EXPECT_EQ(CountLines(trace, "hid< 40 97 4c 4c"), 129u);
    EXPECT_EQ(CountLines(trace, "hid< 40 97 4c 00"), 1u);

    // Integers at and past their limits: the program starts, beeps and ends
    // at once whatever the beep's length.
    for (const char* value :
         {"2147483647", "-2147483648", "4294967296", "99999999999999999999", "-1", "0x7fffffff"}) {
        const std::string ini = std::string("ini [BUZZER] DURATION=") + value +
                                "\nini [CUSTOMER] FIRSTMASTERVOLUME=" + value +
                                "\nini [CUSTOMER] MINIMUMVOLUME=" + value +
                                "\nini [VM] RINGS=" + value + "\nini [SCANMODE] MODE=" + big + "\n";
        EXPECT_EQ(RunScenario("handset\n" + ini +
                                  "start\nwait 1000\npost HUBM_KEY_DOWN 7 0\nwait 100\n"
                                  "post WM_CLOSE 0 0\nexpect quit\n",
                              trace),
                  0)
            << value << "\n"
            << trace;
        EXPECT_EQ(CountLines(trace, " quit"), 1u) << value;
    }
}

TEST(BadInput, HandsetReportsOfTheWrongLength) {
    struct Case {
        int length;
        const char* expects;
    };
    const Case cases[] = {
        // Bytes a short report does not carry read as zero: with two bytes the
        // report is MCU key 0; with four its key is whole.
        {2, "expect action 0 0 0\n"},
        {4, "expect action 5 0 0\n"},
        // Longer reports: bytes 1-4 count, the rest is ignored.
        {5, "expect action 5 0 0\n"},
        {64, "expect action 5 0 0\n"},
    };
    for (const Case& c : cases) {
        std::string trace;
        const std::string script = "handset in=" + std::to_string(c.length) +
                                   "\nstart\nwait 1000\nreport 40 05 00 00\n" + c.expects;
        EXPECT_EQ(RunScenario(script, trace), 0) << c.length << "\n" << trace;
        if (c.length >= 4) {
            EXPECT_EQ(CountLines(trace, "action 0 "), 0u) << c.length;
        }
    }
}

}  // namespace
}  // namespace calvox::sim
