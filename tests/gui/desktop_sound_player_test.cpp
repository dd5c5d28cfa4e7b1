// The sound player with GStreamer writing into a fakesink: the bundle's notification sound plays
// to its end, plays again from the start after that, and bad files give a clear state instead
// of noise.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/desktop/SoundPlayer.h"
#include "support/TempHome.h"
#include "support/MainLoopPump.h"

namespace {

const std::string kBundleSound = VELLOQ_SOURCE_DIR "/resources/sounds/Notify.wav";

class SoundPlayerTest : public ::testing::Test {
protected:
    bool endsIn(SoundPlayer::State state) { return pumpUntil([&] { return player.state() == state; }); }

    TempHome home;
    SoundPlayer player{"fakesink"};
};

}  // namespace

TEST_F(SoundPlayerTest, PlaysTheSoundToItsEndAndFromTheStartAgainAfterFinishingRestartingOrStopping) {
    std::filesystem::copy_file(kBundleSound, home.path() + "/Notify.wav");
    ASSERT_TRUE(player.load(kBundleSound));
    ASSERT_TRUE(player.load(home.path() + "/Notify.wav"));  // replaces the first sound
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
