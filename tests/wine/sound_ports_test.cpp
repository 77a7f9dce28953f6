// The sound player and recorder on the real DirectSound of Wine, which plays
// to and captures from the ALSA null device that run-wine-tests.sh sets up.
#include <gtest/gtest.h>

#include "sound/riff_wave_file.h"
#include "sound/sound_player.h"
#include "sound/sound_recorder.h"
#include "win32/win_platform.h"
#include "wine_support.h"

namespace wine_test {
namespace {

using namespace calvox;
using namespace calvox::win32;

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

class OwnerWindow {
public:
    OwnerWindow()
        : window_(CreateWindowExA(0, "STATIC", "sound owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr)) {}
    ~OwnerWindow() { DestroyWindow(window_); }
    Hwnd handle() const { return reinterpret_cast<Hwnd>(window_); }

private:
    HWND window_;
};

bool PlaysToItsEnd(SoundPlayer& player, DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (player.IsPlaying()) {
        if (GetTickCount() - start > limitMs) return false;
        Sleep(20);
    }
    return true;
}

TEST(SoundPlayer, PromptPlaysThroughDirectSoundToItsEnd) {
    WinPlatform platform;
    OwnerWindow owner;
    ASSERT_NE(owner.handle(), 0u);
    HubWindow hub(platform.ports.window, platform.ports.clock);
    hub.Created(owner.handle());
    SoundPlayer player(platform.ports, hub);
    player.SetDevice("no such device");  // the default device then
    player.Load(ProgramFolder() + "\\AMPswdPass.wav");
    EXPECT_EQ(player.Length(), 1u);
    ASSERT_TRUE(player.Play(false));
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_TRUE(PlaysToItsEnd(player, 10000));
    EXPECT_TRUE(player.Stop()) << "stopping a sound that ended is no failure";

    // The built-in ring, from the program's resources, in a loop until stopped.
    player.Load("");
    EXPECT_EQ(player.Length(), 1u);
    ASSERT_TRUE(player.Play(true));
    Sleep(300);
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_TRUE(player.Stop());
    EXPECT_FALSE(player.IsPlaying());

}

TEST(SoundRecorder, CapturesASecondIntoAFinishedWaveFile) {
    CalvoxFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string file = folder.File("PSTN_1_N.wav");
    WinPlatform platform;
    const WaveFormat format = PcmFormat(1, 8000, 16);
    {
        SoundRecorder recorder(platform.ports);
        ASSERT_EQ(recorder.Start("", format, file), kSOk);
        ASSERT_EQ(recorder.StartCapture(), kSOk);
        Sleep(1000);
        EXPECT_EQ(recorder.StopCapture(), kSOk);
    }
    RiffWaveFile wave(*platform.binaryFiles);
    ASSERT_EQ(wave.OpenRead(file), kSOk);
    EXPECT_EQ(wave.Format().formatTag, kWaveFormatPcm);
    EXPECT_EQ(wave.Format().samplesPerSec, 8000u);
    EXPECT_EQ(wave.Format().blockAlign, 2);
    // Whole notification blocks of 2000 bytes. How much Wine's null device
    // delivers in a second varies with the machine's load (from none to ten
    // seconds' worth), so the amount is not checked.
    EXPECT_EQ(wave.DataSize() % 2000, 0u);
}

}  // namespace
}  // namespace wine_test
