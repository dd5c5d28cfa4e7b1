// The in-process notification centre: observers hear only their name, the token removes its
// observer (moving it does not), observers that add or remove observers while a post runs are
// safe, and an empty callback or a token outliving its centre does no harm.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/NotificationCenter.h"

// An empty callback adds nothing to call, and a token that outlives its centre does no harm.
TEST(NotificationCenter, DeliversToObserversOfThatNameWhileTheirTokenLives) {
    std::vector<std::string> heard;
    NotificationCenter::Observation kept;
    {
        NotificationCenter center;
        auto other = center.addObserver("Other", [&](const std::string& o) { heard.push_back("other " + o); });
        EXPECT_FALSE(center.addObserver(kWindowsForegroundNotification, nullptr).isActive());
        {
            auto scoped =
                center.addObserver(kWindowsForegroundNotification, [&](const std::string& o) { heard.push_back(o); });
            auto moved = center.addObserver(kWindowsForegroundNotification,
                                            [&](const std::string& o) { heard.push_back("moved " + o); });
            kept = std::move(moved);
            center.post(kWindowsForegroundNotification, "true");
        }
        center.post(kWindowsForegroundNotification, "false");
    }
    EXPECT_EQ(heard, (std::vector<std::string>{"true", "moved true", "moved false"}));
    EXPECT_FALSE(kept.isActive());
    kept.reset();
}

TEST(NotificationCenter, ObserversMayRemoveAndAddObserversDuringAPost) {
    NotificationCenter center;
    std::vector<std::string> heard;
    NotificationCenter::Observation first, second, third, late;
    first = center.addObserver("N", [&](const std::string&) {
        heard.push_back("first");
        first.reset();
        third.reset();  // registered before the post, removed during it: not called
    });
    second = center.addObserver("N", [&](const std::string&) {
        heard.push_back("second");
        // added during a post: hears only the next one
        if (!late.isActive()) late = center.addObserver("N", [&](const std::string&) { heard.push_back("late"); });
    });
    third = center.addObserver("N", [&](const std::string&) { heard.push_back("third"); });

    center.post("N", "");
    center.post("N", "");

    EXPECT_EQ(heard, (std::vector<std::string>{"first", "second", "second", "late"}));
}
