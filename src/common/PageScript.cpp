#include "common/PageScript.h"

#include <cstdio>

#include <glib.h>

namespace PageScript {
namespace {

// U+2028 and U+2029 end a line in script source just as a newline does.
constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";

std::string validUtf8(std::string_view text) {
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(valid);
    g_free(valid);
    return result;
}

std::string unicodeEscape(unsigned codePoint) {
    char escape[7];
    std::snprintf(escape, sizeof escape, "\\u%04X", codePoint);
    return escape;
}

// The escape for one ASCII byte, or "" when it stands for itself.
std::string asciiEscape(char character) {
    switch (character) {
    case '\'': return "\\'";
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    // "</script" or "<!--" inside a literal would end or confuse an enclosing script element.
    case '<': return "\\u003C";
    default: break;
    }
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x20 || byte == 0x7F) return unicodeEscape(byte);
    return {};
}

}  // namespace

Argument::Argument(std::string_view text) : m_script(stringLiteral(text)) {}

std::string stringLiteral(std::string_view text) {
    const std::string valid = validUtf8(text);
    const std::string_view source(valid);
    std::string literal = "'";
    for (std::size_t index = 0; index < source.size(); ++index) {
        const std::string_view rest = source.substr(index);
        if (rest.starts_with(kLineSeparator) || rest.starts_with(kParagraphSeparator)) {
            literal += unicodeEscape(rest.starts_with(kLineSeparator) ? 0x2028 : 0x2029);
            index += kLineSeparator.size() - 1;
            continue;
        }
        const std::string escape = asciiEscape(source[index]);
        if (escape.empty()) literal += source[index];
        else literal += escape;
    }
    return literal + "'";
}

std::string call(std::string_view functionPath, std::initializer_list<Argument> arguments) {
    std::string script(functionPath);
    script += '(';
    const char* separator = "";
    for (const Argument& argument : arguments) {
        script += separator;
        script += argument.script();
        separator = ",";
    }
    return script + ')';
}

}  // namespace PageScript
