// The command line: the first of --help, --version or an unknown option decides; the toolkit's
// options pass on, and what follows "--" is not an option.

#include <gtest/gtest.h>

#include "common/CommandLine.h"

namespace {

using CommandLine::Request;

TEST(CommandLine, TheFirstOwnOrUnknownOptionDecidesAndTheToolkitsPassOn) {
    const struct {
        std::vector<std::string> arguments;
        Request request;
        std::string unknown;
    } rows[] = {
        {{}, Request::Run, ""},
        {{"-h"}, Request::Help, ""},
        {{"--display=:1", "--version", "--help"}, Request::Version, ""},
        {{"--gapplication-service", "--display", ":2"}, Request::Run, ""},
        {{"--displayx"}, Request::Unknown, "--displayx"},
        {{"-x", "--help"}, Request::Unknown, "-x"},
        {{"report.pdf", "-"}, Request::Run, ""},
        {{"--", "--help"}, Request::Run, ""},
    };
    for (const auto& row : rows) {
        const auto parsed = CommandLine::parse(row.arguments);
        EXPECT_EQ(parsed.request, row.request) << testing::PrintToString(row.arguments);
        EXPECT_EQ(parsed.unknownOption, row.unknown) << testing::PrintToString(row.arguments);
    }
}

}  // namespace
