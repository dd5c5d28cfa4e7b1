// Notice rules against the settings store in a fresh home: titles and what a click runs, with
// hostile values escaped and malformed texts shown as no notice. Notices reaching the daemon
// (and none while turned off), the badge and a vanished sound file are proven through the web
// host in the GUI tests.

#include <gtest/gtest.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "support/TempHome.h"
#include "web/policy/Q7ZNoticeRules.h"

namespace {

using enum Q7ZDesktopNotifyType;

TEST(NoticeRules, NoticesAndTheirClicks) {
    TempHome home;  // before the settings store loads its file
    Q7ZNoticeRules rules(Q7ZAppSettingConfigSingleton::getInstance());

    // {kind, page's text, "title/body" shown (none: nullptr), script run by a click}
    const struct {
        Q7ZDesktopNotifyType type;
        const char* json;
        const char* shown;
        const char* click;
    } notices[] = {
        {IMNotice, R"({"Name":"A","Content":"Hi","ChatRoomName":"S","ChannelType":1,"ID":42})", "S(A)/Hi",
         "parlorMain.initMessageList(1,'','42')"},
        {IMNotice, R"({"Name":"A","ChatRoomName":"S","ChannelType":3,"ID":"O'N"})", "A/",
         R"(parlorMain.initMessageList(3,'O\'N',''))"},
        {IMNotice, R"({"Name":"A","ChatRoomName":"","ChannelType":"1","ID":"42"})", "A/",
         "parlorMain.initMessageList(1,'','42')"},
        {Notice, R"({"Name":"A","ChatRoomName":"S","ChannelType":1,"Url":""})", "A/", "parlorMain.openNoticeLog()"},
        {Notice, R"({"Url":"https://h/?q=\"');alert(1)//"})", "/", R"(window.open('https://h/?q=\"\');alert(1)//'))"},
        {Notice, R"({"Url":"HTTP://h:81/a"})", "/", "window.open('HTTP://h:81/a')"},
        {Notice, R"j({"Url":"javascript:fetch(document.cookie)"})j", "/", "parlorMain.openNoticeLog()"},
        {Notice, R"({"Url":"data:text/html,<script>alert(1)</script>"})", "/", "parlorMain.openNoticeLog()"},
        {Notice, R"({"Url":"/notices/7"})", "/", "parlorMain.openNoticeLog()"},
        {Notice, R"({"Url":"file:///etc/passwd"})", "/", "parlorMain.openNoticeLog()"},
        {Notice, R"({"Url":" https://h/"})", "/", "parlorMain.openNoticeLog()"},
        {Notice, "[1]", nullptr, nullptr},
        {IMNotice, "not json", nullptr, nullptr}};
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
}

}  // namespace
