#include "platform/LoginItemHelperPaths.h"

#include "BuildConfig.h"
#include "platform/Bundle.h"

namespace LoginItemHelperPaths {

std::string bundlePath() {
    return Bundle::mainBundle().bundlePath() + "/Contents/Library/LoginItems/" + BuildConfig::kHelperName + ".app";
}

std::string executablePath() { return Bundle(bundlePath()).executablePath(); }

}  // namespace LoginItemHelperPaths
