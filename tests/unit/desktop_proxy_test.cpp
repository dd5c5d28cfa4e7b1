// The program's own requests go through the proxy the desktop sets, as the web view's do. The
// proxy comes from the environment's HTTP_PROXY, which GIO's proxy resolver reads and curl on
// its own ignores for http addresses; it is a stand-in that answers every request itself and
// keeps its request line. The servers asked for are on a port
// where nothing listens, so an answer can only have come through the proxy.

#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "downloads/Q7ZPageDownload.h"
#include "support/LoopbackResponder.h"
#include "support/TempHome.h"
#include "utility/Q7ZACUtility.h"

namespace {

TEST(DesktopProxy, TheLoginPageCheckAndPageDownloadsGoThroughIt) {
    TempHome home;
    LoopbackResponder proxy("HTTP/1.1 200 OK\r\nContent-Length: 7\r\nConnection: close\r\n\r\nproxied");
    for (const char* name : {"no_proxy", "NO_PROXY"}) g_unsetenv(name);
    g_setenv("HTTP_PROXY", proxy.address().c_str(), TRUE);
    Q7ZRemoteConfigSingleton::getInstance().setServerListJsonString(
        R"([{"Sequence":0,"ServerName":"Acme","Url":"http://127.0.0.1:9/acme/","IsCnUrl":0}])");
    Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(0);
    Q7ZAppSettingConfigSingleton::getInstance().setLanguage("en-US");

    EXPECT_TRUE(Q7ZACUtility::detectLoginPageValidThread());
    const auto download = Q7ZPageDownload::fetch({.url = "http://127.0.0.1:9/files/report.txt"}, home.path());
    ASSERT_EQ(download.outcome, Q7ZPageDownload::Result::Outcome::Saved);
    EXPECT_EQ(readFileText(download.savedPath), "proxied");
    EXPECT_EQ(proxy.requestLines(),
              (std::vector<std::string>{"POST http://127.0.0.1:9/acme/VUD/Parlor/ParlorLogin.aspx?lang=en-US HTTP/1.1",
                                        "GET http://127.0.0.1:9/files/report.txt HTTP/1.1"}));
}

}  // namespace
