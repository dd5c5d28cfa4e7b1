#include "utility/Q7ZACUtility.h"

#include <array>
#include <cinttypes>
#include <cstdio>

namespace Q7ZACUtility {

namespace {

struct SizeUnit {
    std::int64_t bytes;
    const char* name;
};

constexpr std::array<SizeUnit, 3> kUnitsLargestFirst = {{
    {1073741824, "GB"},
    {1048576, "MB"},
    {1024, "KB"},
}};

}  // namespace

std::string getFileSizeDescriptionFromOriginSize(std::int64_t originSize) {
    const double singlePrecision = static_cast<float>(originSize);
    char text[64];
    for (const auto& unit : kUnitsLargestFirst) {
        if (originSize > unit.bytes) {
            std::snprintf(text, sizeof text, "%.01f %s", singlePrecision / static_cast<double>(unit.bytes), unit.name);
            return text;
        }
    }
    std::snprintf(text, sizeof text, "%" PRId64 " Byte", originSize);
    return text;
}

}  // namespace Q7ZACUtility
