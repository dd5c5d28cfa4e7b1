// Notice rules against the settings store in a fresh home and the real bundle's Notify.wav:
// titles and what a click runs (hostile values escaped), the badge, and the sound's file.

#include <filesystem>

#include <gtest/gtest.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "platform/Bundle.h"
#include "support/TempHome.h"
#include "web/policy/Q7ZNoticeRules.h"

namespace {

using enum Q7ZDesktopNotifyType;
using enum Q7ZNoticeRules::SoundAction;

TEST(NoticeRules, NoticesAndTheirClicksBadgeAndSound) {
    TempHome home;
    auto& store = Q7ZAppSettingConfigSingleton::getInstance();
    store.loadUserInfo();
    Q7ZNoticeRules rules(store);

    // {kind, page's text, "title/body" shown (none: nullptr), script run by a click}
    const struct { Q7ZDesktopNotifyType type; const char* json; const char* shown; const char* click; } notices[] = {
        {IMNotice, R"({"Name":"A","Content":"Hi","ChatRoomName":"S","ChannelType":1,"ID":42})", "S(A)/Hi", "parlorMain.initMessageList(1,'','42')"},
        {IMNotice, R"({"Name":"A","ChatRoomName":"S","ChannelType":3,"ID":"O'N"})", "A/", R"(parlorMain.initMessageList(3,'O\'N',''))"},
        {IMNotice, R"({"Name":"A","ChatRoomName":"","ChannelType":"1","ID":"42"})", "A/", "parlorMain.initMessageList(1,'','42')"},
        {Notice, R"({"Name":"A","ChatRoomName":"S","ChannelType":1,"Url":""})", "A/", "parlorMain.openNoticeLog()"},
        {Notice, R"({"Url":"https://h/?q=\"');alert(1)//"})", "/", R"(window.open('https://h/?q=\"\');alert(1)//'))"},
        {InviteNotice, R"({"Name":"Inv"})", "Inv/", "parlorMain.openInviteLog()"},
        {Notice, "[1]", nullptr, nullptr}, {IMNotice, "not json", nullptr, nullptr}};
    for (const auto& row : notices) {
        SCOPED_TRACE(row.json);
        const auto notice = rules.makeNotice(row.type, row.json);
        ASSERT_EQ(notice.has_value(), row.shown != nullptr);
        if (!notice) continue;
        EXPECT_EQ(notice->title + "/" + notice->body + " " + notice->text, std::string(row.shown) + " " + row.json);
        EXPECT_EQ(Q7ZNoticeRules::scriptForClick(notice->kind, notice->text), std::string(row.click));
    }
    EXPECT_FALSE(Q7ZNoticeRules::scriptForClick("changeBadge", R"({"Url":"x"})"));
    EXPECT_FALSE(Q7ZNoticeRules::scriptForClick("showInviteNotice", "{"));
    store.setIsDesktopNotifications(false);
    for (const auto& row : notices) EXPECT_FALSE(rules.makeNotice(row.type, row.json)) << row.json;

    // The bridge hands over a script string such as "5" as no number at all.
    for (const auto& [value, count] : {std::pair<std::optional<double>, std::optional<std::int64_t>>{5.0, 5},
                                       {0.0, std::nullopt}, {-1.0, std::nullopt}, {std::nullopt, std::nullopt}})
        EXPECT_EQ(Q7ZNoticeRules::badgeCount(value), count);

    // A chosen sound file found gone when a notice sounds is forgotten, and that is saved.
    const std::string custom = home.path() + "/ring.wav";
    ASSERT_TRUE(writeFileText(custom, "RIFF"));
    store.setIsCustomNotificationSound(true);
    store.setCustomNotificationSoundPath(custom);
    ASSERT_TRUE(store.saveConfig());
    EXPECT_EQ(rules.soundPath(), custom);
    EXPECT_EQ(rules.soundActionForNoticeEvent(), Play);  // desktop notifications are off, sounds are not
    std::filesystem::remove(custom);
    EXPECT_EQ(rules.soundPath(), Bundle::mainBundle().resourcePath() + "/Notify.wav");  // the setting stays
    EXPECT_EQ(rules.soundActionForNoticeEvent(), ReloadAndPlay);
    store.loadUserInfo();
    EXPECT_EQ(store.customNotificationSoundPath(), "");
    store.setIsNotificationSound(false);
    EXPECT_EQ(rules.soundActionForNoticeEvent(), None);
}

}  // namespace
