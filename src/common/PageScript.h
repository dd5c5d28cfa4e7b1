#pragma once
// Text of a call to a page function, for evaluation in the web view: the function path
// followed by its arguments. Text arguments become single-quoted script string literals
// in which nothing the value holds can end the literal, start a new statement, break the
// line or close an enclosing <script> element; ordinary text (letters, digits, an address,
// a language code) is written as it is. Booleans and integers are written bare.
//
//   PageScript::call("parlorMain.initMessageList", {1, "", "42"})
//       -> parlorMain.initMessageList(1,'','42')

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace PageScript {

// One argument, already written as script text.
class Argument {
public:
    Argument(std::string_view text);
    Argument(const char* text) : Argument(std::string_view(text)) {}
    Argument(const std::string& text) : Argument(std::string_view(text)) {}
    Argument(bool value) : m_script(value ? "true" : "false") {}
    Argument(int value) : m_script(std::to_string(value)) {}
    Argument(std::int64_t value) : m_script(std::to_string(value)) {}

    const std::string& script() const { return m_script; }

private:
    std::string m_script;
};

// Text that is not UTF-8 has each bad sequence replaced by U+FFFD.
std::string stringLiteral(std::string_view text);

std::string call(std::string_view functionPath, std::initializer_list<Argument> arguments = {});

}  // namespace PageScript
