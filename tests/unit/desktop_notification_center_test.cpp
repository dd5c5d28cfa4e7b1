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

TEST(NotificationCenter, DroppingOrResettingTheTokenRemovesTheObserver) {
    NotificationCenter center;
    int calls = 0;
    {
        auto scoped = center.addObserver("N", [&](const std::string&) { ++calls; });
        center.post("N", "");
    }
    center.post("N", "");
    auto token = center.addObserver("N", [&](const std::string&) { ++calls; });
    EXPECT_TRUE(token.isActive());
    token.reset();
    EXPECT_FALSE(token.isActive());
    center.post("N", "");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, MovedTokenKeepsTheObserverAndMovedFromTokenDoesNotRemoveIt) {
    NotificationCenter center;
    int calls = 0;
    NotificationCenter::Observation kept;
    {
        auto original = center.addObserver("N", [&](const std::string&) { ++calls; });
        kept = std::move(original);
    }
    center.post("N", "");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, ObserverMayRemoveItselfAndOthersDuringAPost) {
    NotificationCenter center;
    std::vector<std::string> heard;
    NotificationCenter::Observation first, second, third;
    first = center.addObserver("N", [&](const std::string&) {
        heard.push_back("first");
        first.reset();
        third.reset();  // registered before the post, removed during it: not called
    });
    second = center.addObserver("N", [&](const std::string&) { heard.push_back("second"); });
    third = center.addObserver("N", [&](const std::string&) { heard.push_back("third"); });

    center.post("N", "");
    center.post("N", "");

    EXPECT_EQ(heard, (std::vector<std::string>{"first", "second", "second"}));
}

TEST(NotificationCenter, ObserverAddedDuringAPostHearsOnlyTheNextPost) {
    NotificationCenter center;
    int lateCalls = 0;
    NotificationCenter::Observation late;
    auto adder = center.addObserver("N", [&](const std::string&) {
        if (!late.isActive()) late = center.addObserver("N", [&](const std::string&) { ++lateCalls; });
    });

    center.post("N", "");
    EXPECT_EQ(lateCalls, 0);
    center.post("N", "");
    EXPECT_EQ(lateCalls, 1);
}

TEST(NotificationCenter, TokenOutlivingItsCentreIsHarmless) {
    NotificationCenter::Observation token;
    {
        NotificationCenter center;
        token = center.addObserver("N", [](const std::string&) {});
    }
    EXPECT_FALSE(token.isActive());
    token.reset();
}

TEST(NotificationCenter, EmptyCallbackIsNotRegistered) {
    NotificationCenter center;
    auto token = center.addObserver("N", nullptr);
    EXPECT_FALSE(token.isActive());
    center.post("N", "x");
}

TEST(NotificationCenter, DefaultCentreIsOneInstance) {
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
}
