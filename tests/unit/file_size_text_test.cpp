// The size texts of the downloads list: steps of 1024, one decimal, whole bytes up to 1024, and
// the count rounded to single precision before it is scaled.

#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "utility/Q7ZACUtility.h"

namespace {

TEST(FileSizeText, ChoosesUnitAndRoundsThroughSinglePrecision) {
    const struct { std::int64_t bytes; std::string text; } cases[] = {
        {0, "0 Byte"}, {1024, "1024 Byte"}, {1025, "1.0 KB"}, {1536, "1.5 KB"}, {-1, "-1 Byte"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808 Byte"},
        // The larger units; in double precision these would read 17.1 MB and 1.1 GB.
        {17878221, "17.0 MB"}, {1127428916, "1.0 GB"}, {std::numeric_limits<std::int64_t>::max(), "8589934592.0 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(Q7ZACUtility::getFileSizeDescriptionFromOriginSize(bytes), text) << bytes;
}

}  // namespace
