#include "platform/DesktopEntry.h"

#include <string_view>

namespace DesktopEntry {
namespace {

// Characters that desktop launchers treat as reserved in Exec arguments.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters that keep their backslash escape inside double quotes.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

bool needsQuotes(const std::string& argument) {
    return argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
}

}  // namespace

std::string quoteExecArgument(const std::string& argument) {
    const bool quoted = needsQuotes(argument);
    std::string result;
    if (quoted) result += '"';
    for (char c : argument) {
        if (c == '%') {
            result += "%%";
            continue;
        }
        if (quoted && kEscapedInQuotes.find(c) != std::string_view::npos) result += '\\';
        result += c;
    }
    if (quoted) result += '"';
    return result;
}

}  // namespace DesktopEntry
