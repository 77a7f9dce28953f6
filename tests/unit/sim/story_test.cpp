#include "sim/story.h"

#include <gtest/gtest.h>

#include <sstream>

namespace calvox::sim {
namespace {

ScriptLine Typed(const std::string& text) {
    ScriptLine line;
    ParseError error;
    EXPECT_TRUE(ParseLine(text, 1, false, line, error)) << error.reason;
    return line;
}

// Steps and trace lines in, the story's lines out: the client's texts and
// your keys in words, the handset's reports decoded, the timers left out.
TEST(Story, TellsStepsAndDecodesTheHandsetsReports) {
    std::ostringstream out;
    Story story(out);
    story.StepBegins(Typed("skype USER alice FULLNAME Alice Smith"));
    story.StepBegins(Typed("skype CALL 4711 TYPE INCOMING_P2P"));
    story.StepBegins(Typed("skype CALL 4711 PARTNER_DISPNAME Alice Smith"));
    story.StepBegins(Typed("skype CALL 4711 STATUS RINGING"));
    for (const char* line :
         {"skype< FOCUS", "sleep 100", "hid< 40 85 41 6c", "hid< 40 85 69 63", "hid< 40 85 65 00",
          "timer set 0x413 1000", "hid< 60 8f 04 00", "hid< 20 00 00 00", "hid< 00 01 03 00",
          "hid< 40 99 06 00"})
        story.TraceWritten({0, line});
    story.StepBegins(Typed("press HOOK_SWITCH"));
    story.TraceWritten({0, "action 24 0 0"});
    story.StepBegins(Typed("press HOOK_SWITCH"));
    story.TraceWritten({0, "action 11 0 0"});
    EXPECT_EQ(out.str(),
              "the client: alice is Alice Smith\n"
              "the client: call 4711 is an incoming call\n"
              "the client: call 4711 is from Alice Smith\n"
              "the client: call 4711 from Alice Smith is ringing\n"
              "  Calvox -> client: FOCUS\n"
              "  handset: Call from \"Alice\"\n"
              "  handset: the buzzer sounds\n"
              "  handset: light \"missed call\" on\n"
              "  handset: the buzzer stops\n"
              "  handset: LED lines 0 on 1 off\n"
              "  handset: you are busy (do not disturb)\n"
              "you lift the handset (HOOK_SWITCH)\n"
              "you put the handset down (HOOK_SWITCH)\n"
              "  Calvox takes it as NUMBER_5\n");
}

}  // namespace
}  // namespace calvox::sim
