#include "sim/script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace calvox::sim {
namespace {

// Reason of the first error in `source`, or "" when it parses.
std::string ErrorOf(const std::string& source, int* lineNo = nullptr) {
    Script script;
    ParseError error;
    if (ParseScript(source, script, error)) return "";
    if (lineNo) *lineNo = error.lineNo;
    return error.reason.empty() ? "(no reason)" : error.reason;
}

ScriptLine StepOf(const std::string& step) {
    Script script;
    ParseError error;
    EXPECT_TRUE(ParseScript("handset\nstart\n" + step + "\n", script, error))
        << step << ": " << error.reason;
    return script.steps.size() == 2 ? script.steps[1].line : ScriptLine{};
}

// Test cases written several to a line, separated by "; " or line breaks.
std::vector<std::string> Cases(const std::string& text) {
    std::vector<std::string> cases;
    for (std::size_t begin = 0, end = 0; begin < text.size(); begin = end) {
        end = std::min(text.find_first_of(";\n", begin), text.size());
        cases.push_back(text.substr(begin, end - begin));
        end += end < text.size() && text[end] == ';' ? 2 : 1;
    }
    return cases;
}

std::vector<std::string> Texts(const std::vector<Token>& tokens) {
    std::vector<std::string> texts;
    for (const Token& t : tokens) texts.push_back(t.text);
    return texts;
}

TEST(ScriptNumbers, DecimalHexAndSign) {
    std::int64_t v = 0;
    EXPECT_TRUE(ParseNumber("1200", v) && v == 1200);
    EXPECT_TRUE(ParseNumber("0x205", v) && v == 0x205);
    EXPECT_TRUE(ParseNumber("0XfF", v) && v == 255);
    EXPECT_TRUE(ParseNumber("-0x10", v) && v == -16);
    EXPECT_TRUE(ParseNumber("-9223372036854775808", v) && v == INT64_MIN);
    EXPECT_TRUE(ParseNumber("0x7fffffffffffffff", v) && v == INT64_MAX);
    for (const char* bad : {"", "-", "0x", "+5", "12a", "ff", " 1", "1 ", "9223372036854775808",
                            "0x8000000000000000", "--1"}) {
        EXPECT_FALSE(ParseNumber(bad, v)) << bad;
    }
}

TEST(ScriptNumbers, HexBytesAreAlwaysTwoHexDigits) {
    std::uint8_t b = 0;
    EXPECT_TRUE(ParseHexByte("9f", b) && b == 0x9f);
    EXPECT_TRUE(ParseHexByte("0x40", b) && b == 0x40);
    EXPECT_TRUE(ParseHexByte("10", b) && b == 0x10);  // not decimal ten
    for (const char* bad : {"0", "100", "0x4", "g0", ""}) EXPECT_FALSE(ParseHexByte(bad, b)) << bad;
}

TEST(ScriptTokenize, BlanksQuotesAndEscapes) {
    std::vector<Token> tokens;
    std::string error;
    ASSERT_TRUE(Tokenize(" a\t\"b c\"  C:\\x\\y \"q\\\"\\\\\\n\" \"\" ", tokens, error));
    EXPECT_EQ(Texts(tokens), (std::vector<std::string>{"a", "b c", "C:\\x\\y", "q\"\\\\n", ""}));
    EXPECT_FALSE(tokens[0].quoted);
    EXPECT_TRUE(tokens[1].quoted);
    EXPECT_TRUE(tokens[4].quoted);

    ASSERT_TRUE(Tokenize("product=\"USB Handset\" x", tokens, error));
    EXPECT_EQ(Texts(tokens), (std::vector<std::string>{"product=USB Handset", "x"}));
    EXPECT_TRUE(tokens[0].quoted);

    EXPECT_FALSE(Tokenize("mixer \"open", tokens, error));
    EXPECT_FALSE(Tokenize("\"a\\\"", tokens, error));  // the escaped quote does not close
}

TEST(ScriptQuoteText, WritesWhatTokenizeReadsBack) {
    EXPECT_EQ(QuoteText("C:\\Calvox\\x.ini"), "\"C:\\Calvox\\x.ini\"");
    EXPECT_EQ(QuoteText("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteText("C:\\dir\\"), "\"C:\\dir\\\\\"");
    for (const std::string text : {"", "\\", "\\\\", "a\\\"b", "\\\"", "x\\\\\\y", "\"\"", "a b"}) {
        std::vector<Token> tokens;
        std::string error;
        ASSERT_TRUE(Tokenize(QuoteText(text), tokens, error)) << text;
        ASSERT_EQ(tokens.size(), 1u) << text;
        EXPECT_EQ(tokens[0].text, text);
    }
}

TEST(ScriptStructure, WorldStepsAndExpects) {
    Script script;
    ParseError error;
    const std::string source =
        "\xEF\xBB\xBF# a comment\r\n"
        "handset vid=1234 pid=000E\r\n"
        "   # indented comment\n"
        "\n"
        "trace scan\n"
        "start\n"
        "skype CALL 4711 STATUS RINGING # not a comment\n"
        "expect skype< GET CALL 4711 TIMESTAMP\n"
        "expect none hid<\n"
        "trace scan\n"
        "wait 100\n";
    ASSERT_TRUE(ParseScript(source, script, error)) << error.lineNo << ": " << error.reason;
    ASSERT_EQ(script.world.size(), 2u);
    EXPECT_EQ(script.world[0].lineNo, 2);
    EXPECT_EQ(script.world[1].word, "trace");
    ASSERT_EQ(script.steps.size(), 4u);
    EXPECT_EQ(script.steps[0].line.word, "start");
    EXPECT_EQ(script.steps[1].line.text, "CALL 4711 STATUS RINGING # not a comment");
    ASSERT_EQ(script.steps[1].expects.size(), 2u);
    EXPECT_EQ(script.steps[1].expects[0].lineNo, 8);
    EXPECT_TRUE(script.steps[1].expects[1].none);
    EXPECT_EQ(script.steps[1].expects[1].channel, "hid<");
    EXPECT_EQ(script.steps[3].line.lineNo, 11);

    ASSERT_TRUE(ParseScript("client\nhandset\n", script, error));  // nothing runs
    EXPECT_TRUE(script.steps.empty());
}

TEST(ScriptStructure, MisplacedLinesAreErrorsWithTheirLineNumber) {
    int line = 0;
    EXPECT_EQ(ErrorOf("client\nexpect discover\n", &line), "expect before start");
    EXPECT_EQ(line, 2);
    EXPECT_NE(ErrorOf("start\nclient\n", &line), "");
    EXPECT_EQ(line, 2);
    EXPECT_NE(ErrorOf("client\nwait 10\nstart\n", &line), "");
    EXPECT_EQ(line, 2);
    EXPECT_EQ(ErrorOf("start\nstart\n"), "start given twice");
    EXPECT_EQ(ErrorOf("start\nfrobnicate 1\n", &line), "unknown command 'frobnicate'");
    EXPECT_EQ(ErrorOf("start\nSkype X\n"), "unknown command 'Skype'");
    const std::string both =
        ErrorOf("start\nwait 1\nexpect none hid<\nexpect hid< 40 9f 00 00\n", &line);
    EXPECT_NE(both.find("'hid<'"), std::string::npos) << both;
    EXPECT_EQ(line, 4);
    EXPECT_EQ(ErrorOf("start\nwait 1\nexpect none hid<\nwait 1\nexpect hid< 01 02 03 04\n"), "");
}

TEST(ScriptTextLines, RestOfLineOrOneQuotedText) {
    EXPECT_EQ(StepOf("skype  two blanks, trailing  ").text, " two blanks, trailing  ");
    EXPECT_EQ(StepOf("skype \"CHAT \\\"x\\\" C:\\y\"").text, "CHAT \"x\" C:\\y");
    EXPECT_EQ(StepOf("skype a \"b").text, "a \"b");
    EXPECT_EQ(StepOf("addressbar").text, "");
    EXPECT_EQ(StepOf("start-second \"C:\\Calvox\\Calvox.exe\" /x").text,
              "\"C:\\Calvox\\Calvox.exe\" /x");
    Script script;
    ParseError error;
    ASSERT_TRUE(ParseScript("start  /minimized \"a b\"\n", script, error));
    EXPECT_EQ(script.steps[0].line.text, " /minimized \"a b\"");
    EXPECT_EQ(ErrorOf("start\nskype \"a\" b\n"), "text after the closing quote");
    EXPECT_EQ(ErrorOf("start\nskype \"a\n"), "unterminated quote");
}

TEST(ScriptIniLines, SectionKeyAndValueAsWritten) {
    Script script;
    ParseError error;
    ASSERT_TRUE(
        ParseScript("ini [CUSTOMER]  DEVICEVID = 1234 ;x \nstart\n"
                    "ini-set [Ring Tones] Ring=\"C:\\a b.wav\"\nini-delete [X] Y\n",
                    script, error))
        << error.reason;
    const ScriptLine& ini = script.world[0];
    EXPECT_EQ(ini.section, "CUSTOMER");
    EXPECT_EQ(ini.key, "DEVICEVID");
    EXPECT_EQ(ini.value, " 1234 ;x ");
    EXPECT_EQ(script.steps[1].line.value, "\"C:\\a b.wav\"");
    EXPECT_EQ(script.steps[2].line.key, "Y");

    EXPECT_EQ(ErrorOf("ini [S] K=5 \xE2\x82\xAC \xC3\xA9\n"), "");  // euro sign, e acute
    EXPECT_EQ(ErrorOf("ini [S] K=\xE2\x86\x92\n"), "character not in code page 1252");
    EXPECT_EQ(ErrorOf("file a.txt text \"\xE4\xB8\xAD\"\n"), "character not in code page 1252");
    EXPECT_NE(ErrorOf("ini [S] K=\xC3\n"), "");  // not UTF-8
    EXPECT_NE(ErrorOf("ini S K=1\n"), "");
    EXPECT_NE(ErrorOf("ini [S] K\n"), "");
    EXPECT_NE(ErrorOf("ini [S] =1\n"), "");
}

TEST(ScriptArguments, AcceptsWellFormedLines) {
    const std::string world = R"(
handset vid=0x1234 pid=000e product="USB Handset" mcu=none audio="USB Audio"
handset in=5 out=8 total=200 interfaces=3 mcu=81
mixer "Realtek HD"
client-windows filterbar
ui-language zh-TW
driver refuse
windows-version 6.0
registry HKCU\Software\Microsoft\Multimedia\Sound Mapper\Playback = "USB A"
registry HKLM\SYSTEM\X\Count = -5
file "Sounds\ring one.wav" wav 1 8000 16 2
file C:\Calvox\i.ico icon
time 0x10
start
unplug 2
)";
    for (const std::string& step : Cases(R"(report 0x40 81 00 ff
post WM_DEVICECHANGE 0x8000 hub; post "VMSetting_Discover" companion 0
post HUBM_RESET dead -1; post 0x401 0 0; tray 0x205; skype-bytes 41 0x42
client-returns 0 2; driver-status 1 -3; driver-status 2 fail
menu-choose none; menu-choose 7
mixer-set speakers volume 100 200; mixer-set wavein/microphone onoff "AGC" 0
mixer-set speakers/microphone mute 1; plug 2; unplug; wait-until 0x100; delete "a b"
companion-changing 3)")) {
        Script script;
        ParseError error;
        EXPECT_TRUE(ParseScript(world + step, script, error)) << step << ": " << error.reason;
    }
}

TEST(ScriptArguments, RejectsMalformedLines) {
    for (const std::string& line :
         Cases(R"(handset vid=12345; handset mcu=800; handset colour=red; handset vid=1 vid=2
handset product= "x"; handset in=-1; client-windows fancy; ui-language de-DE
driver yes; windows-version 5; windows-version 5.x; time now; client extra; mixer
registry HKCR\X\Y = 1; registry HKCU\X\Y = 0x10; registry HKCU\X\Y = 1 2
registry HKCU\X\Y
file; file a wav 1 8000 16; file a wav 1 8000 12 1; file a text; file a zip; trace hid
file a.wav wav 8 192000 32 3600; file a.wav wav 2 48000 16 400)")) {
        EXPECT_NE(ErrorOf(line + "\n"), "") << line;
    }
    // The longest path the program could open, and one character more.
    const std::string folder = "C:\\" + std::string(240, 'd') + "\\";
    EXPECT_EQ(ErrorOf("file " + folder + std::string(259 - folder.size(), 'f') + "\n"), "");
    EXPECT_NE(ErrorOf("file " + folder + std::string(260 - folder.size(), 'f') + "\n"), "");
    EXPECT_EQ(ErrorOf("file a.wav wav 2 44100 16 380\n"), "");
    for (const std::string& step :
         Cases(R"(report 40 9f 00; report 40 9f 00 100; report 4 9f 00 00; report 40 9f 00 0g
post WM_TIMER 0; post wm_timer 0 0; post TIMER 0 0; post "" 0 0; post WM_TIMER window 0
skype-bytes; skype-bytes 4; attach x; client-returns 1 -1; foreground desktop
client-page settings; arrive usb; remove; mixer-event volume
mixer-set speakers bass 1; mixer-set speakers mute; mixer-set speakers onoff 1
mixer-set mic volume 1; driver-status 1 maybe; driver-refuse yes; plug 0
wait -1; wait 1 2; wait-until soon; tray click; companion-exit now; ini-set [S]
ini-delete [S]; delete; start)")) {
        EXPECT_NE(ErrorOf("handset\nstart\n" + step + "\n"), "") << step;
    }
}

// Random bytes are refused as a malformed script with the line that failed,
// never read past or taken for a world.
TEST(ScriptRandomBytes, RefusedWithALineNumber) {
    std::uint32_t seed = 12345;
    for (int round = 0; round < 200; ++round) {
        std::string source(1 + round * 37 % 4096, '\0');
        for (char& c : source) {
            seed = seed * 1664525u + 1013904223u;
            c = static_cast<char>(seed >> 24);
        }
        int lineNo = 0;
        EXPECT_NE(ErrorOf(source, &lineNo), "") << round;
        EXPECT_GE(lineNo, 1) << round;
        EXPECT_LE(lineNo, 1 + std::count(source.begin(), source.end(), '\n')) << round;
    }
}

TEST(ScriptArguments, KeepsValuesForTheRunner) {
    const ScriptLine registry = [] {
        Script script;
        ParseError error;
        EXPECT_TRUE(ParseScript("registry HKCU\\A B\\C = \"x = y\"\n", script, error));
        return script.world.at(0);
    }();
    EXPECT_EQ(registry.key, "HKCU\\A B");
    EXPECT_EQ(registry.value, "C");
    ASSERT_EQ(registry.args.size(), 1u);
    EXPECT_EQ(registry.args[0].text, "x = y");
    EXPECT_TRUE(registry.args[0].quoted);
    EXPECT_EQ(Texts(StepOf("post \"VMSetting_Discover\" hub 0").args),
              (std::vector<std::string>{"VMSetting_Discover", "hub", "0"}));
}

TEST(ScriptPlug, FollowsWhichHandsetsArePluggedIn) {
    EXPECT_EQ(ErrorOf("handset\nstart\nunplug\nplug 1\nunplug 1\n"), "");
    EXPECT_EQ(ErrorOf("handset\nstart\nplug\n"), "handset 1 is already plugged in");
    EXPECT_EQ(ErrorOf("handset\nstart\nunplug\nunplug\n"), "handset 1 is not plugged in");
    EXPECT_EQ(ErrorOf("handset\nstart\nunplug 2\n"), "no handset 2 is declared");
    EXPECT_EQ(ErrorOf("start\nplug\n"), "no handset 1 is declared");
}

TEST(ScriptExpect, ParsesTimeNoneAndChannel) {
    Expect e;
    ParseError error;
    ASSERT_TRUE(ParseExpect("expect @1200 skype< HOOK OFF", 7, e, error));
    EXPECT_EQ(e.lineNo, 7);
    EXPECT_EQ(e.time, 1200);
    EXPECT_EQ(e.channel, "skype<");
    EXPECT_EQ(Texts(e.tokens), (std::vector<std::string>{"skype<", "HOOK", "OFF"}));
    EXPECT_EQ(e.text, "@1200 skype< HOOK OFF");

    ASSERT_TRUE(ParseExpect("expect skype< MESSAGE \"odd", 1, e, error));  // as the trace has it
    EXPECT_FALSE(e.time.has_value());

    for (const char* bad :
         {"expect", "expect @12", "expect @x hid<", "expect @-1 hid<", "expect none",
          "expect none a b", "expect @5 none hid<", "expect \"\" x", "expect * x"}) {
        EXPECT_FALSE(ParseExpect(bad, 1, e, error)) << bad;
    }
}

TEST(ScriptExpect, MatchesTokenByToken) {
    const auto expect = [](const std::string& line) {
        Expect e;
        ParseError error;
        EXPECT_TRUE(ParseExpect("expect " + line, 1, e, error)) << line;
        return e;
    };
    const Expect tray = expect("tray add connect *");
    EXPECT_TRUE(MatchExpect(tray, "tray add connect \"Calvox: online\"", 0));
    EXPECT_TRUE(MatchExpect(tray, "tray  add\tconnect x", 0));
    EXPECT_FALSE(MatchExpect(tray, "tray add connect", 0));
    EXPECT_FALSE(MatchExpect(tray, "tray add connect \"a\" failed", 0));
    EXPECT_FALSE(MatchExpect(tray, "tray add disconnect \"a\"", 0));

    const std::string shell = "shell Open \"C:\\Calvox\\a \\\"b\\\".txt\" \"\" \"\" 1";
    EXPECT_TRUE(MatchExpect(expect(shell), shell, 5));
    EXPECT_FALSE(MatchExpect(expect("shell Open \"C:\\Calvox\\a b.txt\" \"\" \"\" 1"), shell, 5));
    EXPECT_FALSE(MatchExpect(expect("shell Open \"*\" \"\" \"\" 1"), shell, 5));

    EXPECT_TRUE(MatchExpect(expect("@1200 sleep 100"), "sleep 100", 1200));
    EXPECT_FALSE(MatchExpect(expect("@1200 sleep 100"), "sleep 100", 1201));
    EXPECT_TRUE(MatchExpect(expect("skype< SET \"x"), "skype< SET \"x", 3));
    EXPECT_FALSE(MatchExpect(expect("none hid<"), "hid<", 0));
}

}  // namespace
}  // namespace calvox::sim
