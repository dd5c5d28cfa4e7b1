#include "common/CommandLine.h"

#include <array>
#include <string_view>

#include "platform/Bundle.h"

namespace CommandLine {
namespace {

constexpr const char* kCommand = "velloq-parlor";

// Options of the toolkit and of GApplication, with or without "=value".
bool isPassedOn(std::string_view option) {
    constexpr std::array<std::string_view, 2> kPassedOn = {"--display", "--gapplication-service"};
    for (std::string_view known : kPassedOn)
        if (option == known || (option.starts_with(known) && option[known.size()] == '=')) return true;
    return false;
}

}  // namespace

Parsed parse(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (argument == "--help" || argument == "-h") return {Request::Help, ""};
        if (argument == "--version") return {Request::Version, ""};
        if (argument.size() > 1 && argument[0] == '-' && !isPassedOn(argument)) return {Request::Unknown, argument};
    }
    return {};
}

std::string helpText() {
    return localizedFormat("HelpUsage", kCommand) + "\n\n" + localizedString("HelpSummary") + "\n\n" +
           "  -h, --help     " + localizedString("HelpOptionHelp") + "\n" + "  --version      " +
           localizedString("HelpOptionVersion") + "\n";
}

std::string versionText() {
    const Bundle& bundle = Bundle::mainBundle();
    return localizedString("m753") + " " + bundle.infoValue("CFBundleShortVersionString").value_or("") + " (" +
           bundle.infoValue("CFBundleVersion").value_or("") + ")\n";
}

}  // namespace CommandLine
