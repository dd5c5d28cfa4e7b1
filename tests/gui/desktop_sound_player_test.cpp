// The sound player with GStreamer writing into a fakesink: a generated WAV plays to its end,
// plays again from the start after that, and bad files give a clear state instead of noise.

#include <cstdint>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/desktop/SoundPlayer.h"
#include "support/TempHome.h"
#include "support/gui/MainLoopPump.h"

namespace {

void put16(std::ofstream& out, std::uint16_t value) { out.put(char(value & 0xFF)).put(char(value >> 8)); }
void put32(std::ofstream& out, std::uint32_t value) {
    put16(out, std::uint16_t(value & 0xFFFF));
    put16(out, std::uint16_t(value >> 16));
}

// A short mono 16-bit PCM tone, like the bundle's notification sound.
std::string writeWav(const std::string& path, int milliseconds) {
    const std::uint32_t rate = 8000;
    const std::uint32_t samples = rate * milliseconds / 1000;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    put32(out, 36 + samples * 2);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, samples * 2);
    for (std::uint32_t index = 0; index < samples; ++index) put16(out, std::uint16_t((index % 16) < 8 ? 8000 : -8000));
    return path;
}

class SoundPlayerTest : public ::testing::Test {
protected:
    bool finishes() { return pumpUntil([&] { return player.state() == SoundPlayer::State::Finished; }); }

    TempHome home;
    SoundPlayer player{"fakesink"};
};

}  // namespace

TEST_F(SoundPlayerTest, PlaysAWavToItsEnd) {
    ASSERT_TRUE(player.load(writeWav(home.path() + "/Notify.wav", 200)));
    EXPECT_EQ(player.state(), SoundPlayer::State::Stopped);

    player.play();
    EXPECT_TRUE(finishes());
}

TEST_F(SoundPlayerTest, PlaysAgainAfterItFinished) {
    ASSERT_TRUE(player.load(writeWav(home.path() + "/Notify.wav", 200)));
    player.play();
    ASSERT_TRUE(finishes());

    player.play();
    EXPECT_EQ(player.state(), SoundPlayer::State::Playing);
    EXPECT_TRUE(finishes());
}

TEST_F(SoundPlayerTest, PlayWhilePlayingRestartsAndStillFinishes) {
    ASSERT_TRUE(player.load(writeWav(home.path() + "/Notify.wav", 200)));
    player.play();
    player.play();
    EXPECT_TRUE(finishes());
}

TEST_F(SoundPlayerTest, StopThenPlayFinishes) {
    ASSERT_TRUE(player.load(writeWav(home.path() + "/Notify.wav", 200)));
    player.play();
    player.stop();
    EXPECT_NE(player.state(), SoundPlayer::State::Playing);
    player.play();
    EXPECT_TRUE(finishes());
}

TEST_F(SoundPlayerTest, MissingFileLoadsNothingAndPlayDoesNothing) {
    EXPECT_FALSE(player.load(home.path() + "/missing.wav"));
    EXPECT_FALSE(player.isLoaded());
    player.play();
    EXPECT_EQ(player.state(), SoundPlayer::State::Empty);
}

TEST_F(SoundPlayerTest, FileThatIsNoSoundEndsFailed) {
    writeFileText(home.path() + "/Notify.wav", "this is not audio at all");
    ASSERT_TRUE(player.load(home.path() + "/Notify.wav"));
    player.play();
    EXPECT_TRUE(pumpUntil([&] { return player.state() == SoundPlayer::State::Failed; }));
}

TEST_F(SoundPlayerTest, LoadingAnotherFileReplacesTheSound) {
    ASSERT_TRUE(player.load(writeWav(home.path() + "/a.wav", 100)));
    ASSERT_TRUE(player.load(writeWav(home.path() + "/b.wav", 100)));
    EXPECT_EQ(player.path(), home.path() + "/b.wav");
    player.play();
    EXPECT_TRUE(finishes());
}
