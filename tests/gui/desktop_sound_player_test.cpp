// The sound player with GStreamer writing into a fakesink: the bundle's notification sound plays
// to its end, plays again from the start after that and stops when told, and bad files give a
// clear state instead of noise.

#include <string>

#include <gtest/gtest.h>

#include "platform/desktop/SoundPlayer.h"
#include "support/MainLoopPump.h"
#include "support/TempHome.h"

namespace {

const std::string kBundleSound = VELLOQ_SOURCE_DIR "/resources/sounds/Notify.wav";

class SoundPlayerTest : public ::testing::Test {
protected:
    bool endsIn(SoundPlayer::State state) {
        return pumpUntil([&] { return player.state() == state; });
    }

    TempHome home;
    SoundPlayer player{"fakesink"};
};

}  // namespace

TEST_F(SoundPlayerTest, PlaysTheSoundToItsEndAgainFromTheStartAfterFinishingAndStops) {
    ASSERT_TRUE(player.load(kBundleSound));
    player.play();
    ASSERT_TRUE(endsIn(SoundPlayer::State::Finished));

    player.play();
    EXPECT_EQ(player.state(), SoundPlayer::State::Playing);
    EXPECT_TRUE(endsIn(SoundPlayer::State::Finished));

    player.play();
    player.stop();
    EXPECT_NE(player.state(), SoundPlayer::State::Playing);
}

TEST_F(SoundPlayerTest, MissingFileLoadsNothingAndAFileThatIsNoSoundEndsFailed) {
    EXPECT_FALSE(player.load(home.path() + "/missing.wav"));
    player.play();
    EXPECT_EQ(player.state(), SoundPlayer::State::Empty);

    writeFileText(home.path() + "/Notify.wav", "this is not audio at all");
    ASSERT_TRUE(player.load(home.path() + "/Notify.wav"));
    player.play();
    EXPECT_TRUE(endsIn(SoundPlayer::State::Failed));
}
