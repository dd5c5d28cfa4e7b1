#include "FuzzTargets.h"

#include <map>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/Bundle.h"
#include "platform/PropertyList.h"
#include "support/TempHome.h"

constexpr const char* kMissingKey = "\x01 no such key";

void fuzzStringTable(const std::uint8_t* data, std::size_t size) {
    // A flat bundle: its own folder holds the table, and it has no localisations to choose from.
    const std::string folder = processHome().path() + "/Strings.lproj";
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(writeFileText(folder + "/Localizable.strings", std::string(text)));
    const Bundle bundle(folder);

    // Lookups answer the table's texts; a key it lacks answers the given default, else itself.
    const auto table = PropertyList::fromData(text);
    const auto texts = table ? table->stringMembers() : std::map<std::string, std::string>{};
    for (const auto& [key, value] : texts) FUZZ_CHECK(bundle.localizedStringForKey(key) == value);
    if (texts.find(kMissingKey) == texts.end()) {
        FUZZ_CHECK(bundle.localizedStringForKey(kMissingKey) == kMissingKey);
        FUZZ_CHECK(bundle.localizedStringForKey(kMissingKey, "fallback") == "fallback");
    }
}
