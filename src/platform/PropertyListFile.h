#pragma once
// A property-list file that holds the user's own values (settings, remote configuration, user
// defaults): loaded leniently, saved atomically, and never silently lost. A file that exists
// but cannot be read is kept beside itself as "<name>.unreadable-<UTC timestamp>" before the
// first save replaces it (the newest few are kept), and both paths are logged.

#include <optional>
#include <string>

#include "platform/PropertyList.h"

namespace PropertyListFile {

// The dictionary in the file; nullopt when it is missing (quietly) or unreadable (logged).
std::optional<PropertyList> load(const std::string& path);

// Writes values over the file; false, logged, when it could not be written or an unreadable
// file in its place could not be kept aside.
bool save(const PropertyList& values, const std::string& path);

}  // namespace PropertyListFile
