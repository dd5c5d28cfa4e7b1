// Page function calls: hostile text reaches the page intact, as the one argument of one call,
// proven by running each call in node with a stand-in page function. The calls ordinary values
// give are proven by what the sample web app receives in the web host's GUI test.

#include "common/PageScript.h"

#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using PageScript::call;

TEST(PageScript, HostileTextArrivesIntactInOneCall) {
    const std::vector<std::string> hostile = {"O'Brien",
                                              "\"q\"",
                                              "back\\slash\\",
                                              "two\nlines\r",
                                              "\t\x01\x7f",
                                              "a\xE2\x80\xA8"
                                              "b\xE2\x80\xA9",
                                              "');alert(1);//",
                                              "\\');alert(1);//",
                                              "</script><script>alert(1)</script><!--"};
    std::vector<std::string> argv = {
        "node", "-e",
        "const vm = require('vm'); console.log(JSON.stringify(process.argv.slice(1).map(s => {"
        " const calls = []; vm.runInNewContext(s, {parlorMain: {take: (...a) => calls.push(a)}}); return calls; })));"};
    for (const std::string& value : hostile) {
        argv.push_back(call("parlorMain.take", {value}));
        // Inside an HTML script element, or read line by line, the call must stay whole.
        for (const char* forbidden : {"</", "<!--", "\n", "\r", "\xE2\x80\xA8", "\xE2\x80\xA9"})
            EXPECT_EQ(argv.back().find(forbidden), std::string::npos) << argv.back();
    }
    std::vector<gchar*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    gchar* output = nullptr;
    gint status = -1;
    ASSERT_TRUE(g_spawn_sync(nullptr, args.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &output, nullptr,
                             &status, nullptr))
        << "node (Debian package nodejs) runs the calls";
    const std::string received = output;
    g_free(output);
    ASSERT_TRUE(g_spawn_check_wait_status(status, nullptr)) << received;
    nlohmann::json expected = nlohmann::json::array();
    for (const std::string& value : hostile) expected.push_back({{value}});
    EXPECT_EQ(nlohmann::json::parse(received), expected);
}

}  // namespace
