#include "platform/PropertyList.h"

#include "platform/GObjectPtr.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <plist/plist.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
struct XmlTextDeleter {
    void operator()(char* text) const { plist_to_xml_free(text); }
};

std::string takeString(char* text) {
    std::unique_ptr<char, FreeDeleter> owner(text);
    return owner ? std::string(owner.get()) : std::string();
}

// A string node's text. One holding a NUL byte counts as no string: libplist asserts on it
// when copying, and it could not be written back unchanged anyway.
std::optional<std::string> stringOf(plist_t node) {
    if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (!text) return std::string();
    if (std::char_traits<char>::length(text) != length) return std::nullopt;
    return std::string(text, length);
}

// libplist keeps every integer as 64 bits without a sign; negative values are stored in
// two's complement, so reinterpreting gives the signed value back.
std::int64_t signedIntegerOf(plist_t node) {
    uint64_t raw = 0;
    plist_get_uint_val(node, &raw);
    return static_cast<std::int64_t>(raw);
}

// A real converts as a number does when asked for its integer value; NaN and values out of
// range would be undefined behaviour in a plain cast.
std::int64_t integerOfReal(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kLimit = 9223372036854775807.0;
    if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (value <= -kLimit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

std::optional<std::int64_t> numberAsInteger(plist_t node) {
    if (!node) return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_UINT: return signedIntegerOf(node);
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return integerOfReal(value);
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value ? 1 : 0;
    }
    default: return std::nullopt;
    }
}

// A save writes "<name>.saving-XXXXXX" next to the file, flushes it to disk and renames it
// over the file, so a reader sees the old or the new content, never a mix. A save killed
// mid-write leaves its temporary behind; the mark makes such leftovers recognisable without
// touching anything else in the folder (the stores live in the user's Documents).
constexpr std::string_view kTemporaryMark = ".saving-";
constexpr std::size_t kTemporarySuffixLength = 6;

bool isTemporarySibling(const std::string& candidate, const std::string& base) {
    const std::string prefix = base + std::string(kTemporaryMark);
    return candidate.size() == prefix.size() + kTemporarySuffixLength &&
           candidate.compare(0, prefix.size(), prefix) == 0;
}

// Each file has one writer (the stores serialise their saves and the application runs once
// per session), so leftovers next to the target are stale. They can only come from an earlier
// process, so each target's folder is looked through once per process.
void removeStaleTemporariesOnce(const fs::path& target) {
    static std::mutex mutex;
    static std::set<std::string> cleared;
    {
        std::lock_guard lock(mutex);
        if (!cleared.insert(target.string()).second) return;
    }
    std::error_code error;
    const std::string base = target.filename().string();
    for (fs::directory_iterator it(target.parent_path(), error), end; !error && it != end; it.increment(error)) {
        if (isTemporarySibling(it->path().filename().string(), base)) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

bool holdsNul(const std::string& text) { return text.find('\0') != std::string::npos; }

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void syncFolder(const std::string& folder) {
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

bool replaceFileDurably(const std::string& path, const std::string& folder, std::string_view data) {
    std::string temporary = path + std::string(kTemporaryMark) + std::string(kTemporarySuffixLength, 'X');
    const int fd = g_mkstemp_full(temporary.data(), O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool written = writeAll(fd, data) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (written && g_rename(temporary.c_str(), path.c_str()) == 0) {
        syncFolder(folder);
        return true;
    }
    g_unlink(temporary.c_str());
    return false;
}

}  // namespace

void PropertyList::NodeDeleter::operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }

PropertyList::PropertyList() : m_root(plist_new_dict()) {}

PropertyList::PropertyList(Node root) : m_root(std::move(root)) {}

std::optional<PropertyList> PropertyList::readDictionary(const std::string& path) {
    gchar* contents = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(path.c_str(), &contents, &length, nullptr)) return std::nullopt;
    GCharPtr owner(contents);
    return fromData(std::string_view(contents, length));
}

std::optional<PropertyList> PropertyList::fromData(std::string_view data) {
    if (data.empty() || data.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &root);
    Node node(root);
    // libplist's binary reader keeps a NUL inside a key, and walking such a dictionary aborts the
    // process (the key's length and its C string disagree). Written as XML the key ends at the NUL,
    // so a binary list is passed through XML once, and kept only if that reads back.
    if (node && plist_is_binary(data.data(), static_cast<uint32_t>(data.size()))) {
        char* xml = nullptr;
        uint32_t length = 0;
        plist_to_xml(node.get(), &xml, &length);
        plist_t reread = nullptr;
        if (xml) plist_from_xml(xml, length, &reread);
        if (xml) plist_to_xml_free(xml);
        node.reset(reread);
    }
    if (!node || plist_get_node_type(node.get()) != PLIST_DICT) return std::nullopt;
    return PropertyList(std::move(node));
}

void* PropertyList::member(const std::string& key) const { return plist_dict_get_item(m_root.get(), key.c_str()); }

bool PropertyList::contains(const std::string& key) const { return member(key) != nullptr; }

std::vector<std::string> PropertyList::keys() const {
    std::vector<std::string> result;
    plist_dict_iter rawIter = nullptr;
    plist_dict_new_iter(m_root.get(), &rawIter);
    std::unique_ptr<void, FreeDeleter> iter(rawIter);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(m_root.get(), iter.get(), &key, &value);
        if (!key) break;
        result.push_back(takeString(key));
    }
    return result;
}

std::optional<std::string> PropertyList::stringValue(const std::string& key) const {
    plist_t node = member(key);
    return stringOf(node);
}

std::optional<bool> PropertyList::booleanValue(const std::string& key) const {
    plist_t node = member(key);
    if (node && plist_get_node_type(node) == PLIST_REAL) {
        double value = 0;
        plist_get_real_val(node, &value);
        return value != 0.0;  // 0.5 is a true number, although its integer value is 0
    }
    auto number = numberAsInteger(node);
    if (!number) return std::nullopt;
    return *number != 0;
}

std::optional<std::int64_t> PropertyList::integerValue(const std::string& key) const {
    return numberAsInteger(member(key));
}

std::optional<std::vector<std::string>> PropertyList::stringArrayValue(const std::string& key) const {
    plist_t node = member(key);
    if (!node || plist_get_node_type(node) != PLIST_ARRAY) return std::nullopt;
    std::vector<std::string> values;
    const uint32_t count = plist_array_get_size(node);
    for (uint32_t i = 0; i < count; ++i) {
        plist_t item = plist_array_get_item(node, i);
        auto text = stringOf(item);
        if (!text) return std::nullopt;
        values.push_back(std::move(*text));
    }
    return values;
}

std::map<std::string, std::string> PropertyList::stringMembers() const {
    std::map<std::string, std::string> members;
    for (const auto& key : keys())
        if (auto value = stringValue(key)) members.emplace(key, std::move(*value));
    return members;
}

// A text holding a NUL byte would be cut short in the file while the save reported success:
// the value is refused instead, and every later write of this list fails.
bool PropertyList::acceptText(const std::string& key, const std::string& value) {
    if (!holdsNul(value)) return true;
    g_warning("a text holding a NUL byte cannot be stored under \"%s\"; the property list will not be written",
              key.c_str());
    m_refusedValue = true;
    return false;
}

void PropertyList::setString(const std::string& key, const std::string& value) {
    if (!acceptText(key, value)) return;
    plist_dict_set_item(m_root.get(), key.c_str(), plist_new_string(value.c_str()));
}

void PropertyList::setBoolean(const std::string& key, bool value) {
    plist_dict_set_item(m_root.get(), key.c_str(), plist_new_bool(value ? 1 : 0));
}

void PropertyList::setInteger(const std::string& key, std::int64_t value) {
    plist_dict_set_item(m_root.get(), key.c_str(), plist_new_uint(static_cast<uint64_t>(value)));
}

void PropertyList::setStringArray(const std::string& key, const std::vector<std::string>& values) {
    for (const auto& value : values)
        if (!acceptText(key, value)) return;
    plist_t array = plist_new_array();
    for (const auto& value : values) plist_array_append_item(array, plist_new_string(value.c_str()));
    plist_dict_set_item(m_root.get(), key.c_str(), array);
}

void PropertyList::remove(const std::string& key) { plist_dict_remove_item(m_root.get(), key.c_str()); }

std::string PropertyList::toXml() const {
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(m_root.get(), &raw, &length);
    std::unique_ptr<char, XmlTextDeleter> text(raw);
    return text ? std::string(text.get(), length) : std::string();
}

bool PropertyList::writeAtomically(const std::string& path) const {
    if (m_refusedValue) return false;
    const std::string xml = toXml();
    if (xml.empty()) return false;
    const fs::path target(path);
    const std::string folder = target.parent_path().string();
    if (!folder.empty() && g_mkdir_with_parents(folder.c_str(), 0755) != 0) return false;
    removeStaleTemporariesOnce(target);
    return replaceFileDurably(path, folder, xml);
}
