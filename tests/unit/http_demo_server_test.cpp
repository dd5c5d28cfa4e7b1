// The demo organisation server that the other tests and the demo rely on never shares its port:
// a second server on a port already listened on refuses to start instead of splitting the
// connections with the first.

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/DemoServer.h"

namespace {

TEST(DemoServer, ASecondServerCannotTakeATakenPort) {
    DemoServer first;
    EXPECT_THROW(DemoServer second(DemoServer::defaultDataFolder(), first.port()), std::runtime_error);
}

}  // namespace
