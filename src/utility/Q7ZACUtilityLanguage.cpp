#include "utility/Q7ZACUtility.h"

#include <memory>
#include <mutex>

#include "platform/BundleEx.h"

namespace Q7ZACUtility {

void setLanguage(const std::optional<std::string>& folderName) {
    static std::once_flag switched;
    BundleEx& main = BundleEx::mainBundleEx();
    std::call_once(switched, [&main] { main.enableLanguageOverride(); });

    std::shared_ptr<const Bundle> languageBundle;
    if (folderName) {
        if (auto path = main.pathForResource(*folderName, "lproj")) languageBundle = std::make_shared<Bundle>(*path);
    }
    main.attachLanguageBundle(std::move(languageBundle));
    main.forgetPreferredLocalization();
}

}  // namespace Q7ZACUtility
