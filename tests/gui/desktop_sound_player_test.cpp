// The sound player with GStreamer writing into a fakesink: a generated WAV plays to its end,
// plays again from the start after that, and bad files give a clear state instead of noise.

#include <cstdint>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/desktop/SoundPlayer.h"
#include "support/TempHome.h"
#include "support/MainLoopPump.h"

namespace {

// A short mono 16-bit PCM tone at 8 kHz, like the bundle's notification sound.
std::string writeWav(const std::string& path, std::uint32_t milliseconds) {
    std::ofstream out(path, std::ios::binary);
    auto put = [&](std::uint32_t value, int bytes) {
        for (int index = 0; index < bytes; ++index) out.put(char((value >> (8 * index)) & 0xFF));
    };
    const std::uint32_t samples = 8 * milliseconds;
    out.write("RIFF", 4);
    put(36 + samples * 2, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(16000, 4), put(2, 2), put(16, 2);  // PCM, mono, rates, 16 bit
    out.write("data", 4);
    put(samples * 2, 4);
    for (std::uint32_t index = 0; index < samples; ++index) put((index % 16) < 8 ? 8000 : std::uint16_t(-8000), 2);
    return path;
}

class SoundPlayerTest : public ::testing::Test {
protected:
    bool endsIn(SoundPlayer::State state) { return pumpUntil([&] { return player.state() == state; }); }

    TempHome home;
    SoundPlayer player{"fakesink"};
};

}  // namespace

TEST_F(SoundPlayerTest, PlaysAWavToItsEndAndFromTheStartAgainAfterFinishingRestartingOrStopping) {
    ASSERT_TRUE(player.load(writeWav(home.path() + "/a.wav", 100)));
    ASSERT_TRUE(player.load(writeWav(home.path() + "/Notify.wav", 200)));  // replaces the first sound
    EXPECT_EQ(player.path(), home.path() + "/Notify.wav");
    EXPECT_EQ(player.state(), SoundPlayer::State::Stopped);
    player.play();
    ASSERT_TRUE(endsIn(SoundPlayer::State::Finished));

    player.play();
    EXPECT_EQ(player.state(), SoundPlayer::State::Playing);
    EXPECT_TRUE(endsIn(SoundPlayer::State::Finished));

    player.play();
    player.play();  // while playing: restarts
    EXPECT_TRUE(endsIn(SoundPlayer::State::Finished));

    player.play();
    player.stop();
    EXPECT_NE(player.state(), SoundPlayer::State::Playing);
    player.play();
    EXPECT_TRUE(endsIn(SoundPlayer::State::Finished));
}

TEST_F(SoundPlayerTest, MissingFileLoadsNothingAndAFileThatIsNoSoundEndsFailed) {
    EXPECT_FALSE(player.load(home.path() + "/missing.wav"));
    EXPECT_FALSE(player.isLoaded());
    player.play();
    EXPECT_EQ(player.state(), SoundPlayer::State::Empty);

    writeFileText(home.path() + "/Notify.wav", "this is not audio at all");
    ASSERT_TRUE(player.load(home.path() + "/Notify.wav"));
    player.play();
    EXPECT_TRUE(endsIn(SoundPlayer::State::Failed));
}
