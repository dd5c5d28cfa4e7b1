#pragma once
// The program's command line. Its own options are --help (-h) and --version, answered on the
// standard output without a window and without asking a running instance; the toolkit's
// --display and GApplication's --gapplication-service are passed on to them; any other option is
// unknown, and the program prints its help on the standard error and exits with status 2.
// Arguments that are not options are left to the application, as before.

#include <string>
#include <vector>

namespace CommandLine {

enum class Request { Run, Help, Version, Unknown };

struct Parsed {
    Request request = Request::Run;
    std::string unknownOption;  // for Request::Unknown
};

// The arguments without the program's name; the first of --help, --version or an unknown
// option decides.
Parsed parse(const std::vector<std::string>& arguments);

// The help text in the interface language, the command named as it is installed.
std::string helpText();
// "Velloq Parlor 1.4 (512)", the name in the interface language.
std::string versionText();

}  // namespace CommandLine
