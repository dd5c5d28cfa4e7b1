// Program entry: the stored interface language is applied before the toolkit starts, so the
// application's string tables and GTK's own texts both follow it; --help and --version are
// answered in it; then the application runs.

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <glibmm/miscutils.h>

#include "BuildConfig.h"
#include "app/AppDelegate.h"
#include "common/CommandLine.h"
#include "config/LanguageCodes.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "platform/Bundle.h"
#include "platform/MainThread.h"
#include "platform/UserDefaults.h"
#include "utility/Q7ZACUtility.h"
#include "web/Q7ZWebContext.h"

namespace {

// A stored code outside the three known ones has no folder of its own: the folder the
// ordinary lookup would choose (the previous run's choice, else the user's locale) stands in,
// and English when even that is unknown.
std::string localizationFolderForLanguage(const std::string& languageCode) {
    if (auto folder = LanguageCodes::folderForLanguageCode(languageCode)) return *folder;
    if (auto folder = LanguageCodes::folderForLanguageCode(localizedString("UserDeviceLanguage"))) return *folder;
    return "en";
}

// GTK's message catalogues are named by locale, not by localisation folder.
std::string gettextLanguageForFolder(const std::string& folder) {
    if (folder == "zh-Hant") return "zh_TW";
    if (folder == "zh-Hans") return "zh_CN";
    return "en";
}

void applyStoredLanguage() {
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    const std::string folder = localizationFolderForLanguage(settings.language());
    auto& defaults = UserDefaults::standardUserDefaults();
    defaults.setAppleLanguages({folder});
    defaults.synchronize();
    Q7ZACUtility::setLanguage(folder);
    Glib::setenv("LANGUAGE", gettextLanguageForFolder(folder), true);
}

// Answers --help, --version and unknown options before anything starts; nullopt to run.
std::optional<int> answerCommandLine(int argc, char* argv[]) {
    const auto parsed = CommandLine::parse(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    switch (parsed.request) {
    case CommandLine::Request::Run: return std::nullopt;
    case CommandLine::Request::Help: std::cout << CommandLine::helpText(); return 0;
    case CommandLine::Request::Version: std::cout << CommandLine::versionText(); return 0;
    case CommandLine::Request::Unknown:
        std::cerr << localizedFormat("HelpUnknownOption", parsed.unknownOption) << "\n\n" << CommandLine::helpText();
        return 2;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    MainThread::adoptCurrentThread();
    applyStoredLanguage();
    if (const auto status = answerCommandLine(argc, argv)) return *status;
    Q7ZWebContext::warmUpFor(Q7ZACUtility::getServerUrl());
    // Desktops match windows to the .desktop file named after the application id.
    Glib::set_prgname(BuildConfig::kAppId);
    Glib::set_application_name(localizedString("m753"));
    auto application = AppDelegate::create();
    const int status = application->run(argc, argv);
    // Workers still running (a check, a save) must not wait for a loop that is gone.
    MainThread::endLoop();
    return status;
}
