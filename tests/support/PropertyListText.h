#pragma once
// The text of an XML property list whose top-level dictionary holds members, given as their
// elements ("<key>name</key><string>value</string>..."), as tests write the program's files.

#include <string>

inline std::string dictionaryPropertyList(const std::string& members) {
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + members + "</dict></plist>";
}
