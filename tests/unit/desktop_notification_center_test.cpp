// The in-process notification centre: observers hear only their name, the token removes its
// observer, and observers that add or remove observers while a post runs are safe.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/NotificationCenter.h"

TEST(NotificationCenter, DeliversTheObjectToObserversOfThatNameOnly) {
    NotificationCenter center;
    std::vector<std::string> foreground, other;
    auto a = center.addObserver(kWindowsForegroundNotification, [&](const std::string& o) { foreground.push_back(o); });
    auto b = center.addObserver("Other", [&](const std::string& o) { other.push_back(o); });

    center.post(kWindowsForegroundNotification, "true");
    center.post(kWindowsForegroundNotification, "false");

    EXPECT_EQ(foreground, (std::vector<std::string>{"true", "false"}));
    EXPECT_TRUE(other.empty());
}

TEST(NotificationCenter, DroppingOrResettingTheTokenRemovesTheObserverAndMovingItDoesNot) {
    NotificationCenter center;
    int calls = 0;
    auto count = [&](const std::string&) { ++calls; };
    {
        auto scoped = center.addObserver("N", count);
        center.post("N", "");
    }
    center.post("N", "");
    EXPECT_EQ(calls, 1);

    auto token = center.addObserver("N", count);
    token.reset();
    EXPECT_FALSE(token.isActive());
    center.post("N", "");
    EXPECT_EQ(calls, 1);

    NotificationCenter::Observation kept;
    {
        auto original = center.addObserver("N", count);
        kept = std::move(original);
    }
    center.post("N", "");
    EXPECT_EQ(calls, 2);
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

TEST(NotificationCenter, EmptyCallbackAndATokenOutlivingItsCentreAreHarmless) {
    NotificationCenter::Observation token;
    {
        NotificationCenter center;
        EXPECT_FALSE(center.addObserver("N", nullptr).isActive());
        center.post("N", "x");
        token = center.addObserver("N", [](const std::string&) {});
        EXPECT_TRUE(token.isActive());
    }
    EXPECT_FALSE(token.isActive());
    token.reset();
}
