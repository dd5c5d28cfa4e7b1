#pragma once
// A property-list dictionary (libplist): read from a file in XML or binary form, typed
// reads of its members, and an atomic write as an XML property list.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class PropertyList {
public:
    // An empty dictionary.
    PropertyList();

    // The dictionary in the file; nullopt when the file is missing or unreadable, is not a
    // property list, or its top level is not a dictionary.
    static std::optional<PropertyList> readDictionary(const std::string& path);
    static std::optional<PropertyList> fromData(std::string_view data);

    bool contains(const std::string& key) const;
    std::vector<std::string> keys() const;

    // Only a string is a string.
    std::optional<std::string> stringValue(const std::string& key) const;
    // Any number (integer, real or boolean) is accepted, as the stores read their settings.
    std::optional<bool> booleanValue(const std::string& key) const;
    std::optional<std::int64_t> integerValue(const std::string& key) const;
    // An array whose elements are all strings.
    std::optional<std::vector<std::string>> stringArrayValue(const std::string& key) const;
    // Every member whose value is a string (string tables).
    std::map<std::string, std::string> stringMembers() const;

    // Texts holding a NUL byte are refused: the key keeps its value and writeAtomically fails.
    void setString(const std::string& key, const std::string& value);
    void setBoolean(const std::string& key, bool value);
    void setInteger(const std::string& key, std::int64_t value);
    void setStringArray(const std::string& key, const std::vector<std::string>& values);
    void remove(const std::string& key);

    std::string toXml() const;
    // Writes the XML form atomically (temporary file, fsync, rename), creating the parent
    // folder when it is missing; false when the file could not be written or a value was
    // refused.
    bool writeAtomically(const std::string& path) const;

private:
    struct NodeDeleter {
        void operator()(void* node) const;
    };
    using Node = std::unique_ptr<void, NodeDeleter>;

    explicit PropertyList(Node root);
    void* member(const std::string& key) const;
    bool acceptText(const std::string& key, const std::string& value);

    Node m_root;
    bool m_refusedValue = false;
};
