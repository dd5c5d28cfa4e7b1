#pragma once
// The size of a file as the downloads list shows it: "1.5 KB", "20.0 MB", "512 Byte".

#include <cstdint>
#include <string>

namespace Q7ZACUtility {

// Steps of 1024 with one decimal; up to 1024 (zero and negative sizes included) in whole bytes.
// The count goes through single precision before it is scaled, as the list always showed it:
// 1127428916 bytes read "1.0 GB", not "1.1 GB".
std::string getFileSizeDescriptionFromOriginSize(std::int64_t originSize);

}  // namespace Q7ZACUtility
