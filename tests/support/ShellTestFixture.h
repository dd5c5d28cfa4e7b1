#pragma once
// What the end-to-end tests of the application shell share: a fresh home, a session bus of
// the test's own, the test's connection to it, and the programs the test started. Members are
// destroyed in reverse order, so every program is ended and reaped before the bus stops and
// the home folder goes.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ApplicationBus.h"
#include "support/BundleProcess.h"
#include "support/PrivateBusDaemon.h"
#include "support/TempHome.h"

class ShellTestFixture : public ::testing::Test {
protected:
    static constexpr auto kStartLimit = std::chrono::seconds(40);

    // Starts the application and waits until it shows a screen; the process, or null after a
    // failed wait (the test has failed then).
    BundleProcess* startApplication() {
        auto& process = start(BundleProcess::applicationExecutable());
        const bool shown = waitUntil([&] { return !m_client.currentScreen().value_or("").empty(); }, kStartLimit);
        EXPECT_TRUE(shown) << "the application showed no screen in time";
        return shown ? &process : nullptr;
    }

    BundleProcess& start(const std::string& executable) {
        m_processes.push_back(std::make_unique<BundleProcess>(executable, m_bus.address()));
        return *m_processes.back();
    }

    std::string documentsFile(const std::string& name) const { return m_home.documents() + "/" + name; }

    TempHome m_home;
    PrivateBusDaemon m_bus;
    ApplicationBus m_client{m_bus.connect()};
    std::vector<std::unique_ptr<BundleProcess>> m_processes;
};
