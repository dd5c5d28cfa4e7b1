#include "downloads/Q7ZDownloadFileName.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <glib.h>
#include <libsoup/soup.h>
#include <unistd.h>

#include "platform/GObjectPtr.h"

namespace Q7ZDownloadFileName {

namespace {

constexpr const char* kFallbackFileName = "download";
// The longest file name the usual Linux file systems take (NAME_MAX), in bytes.
constexpr std::size_t kMaxFileNameBytes = 255;

// GLib knows which types a file name suggests but not the other way round: the usual
// extension of the types answers commonly carry without a name.
constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kExtensions{{
    {"application/json", ".json"},
    {"application/pdf", ".pdf"},
    {"application/xml", ".xml"},
    {"application/zip", ".zip"},
    {"application/gzip", ".gz"},
    {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", ".docx"},
    {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", ".xlsx"},
    {"application/vnd.openxmlformats-officedocument.presentationml.presentation", ".pptx"},
    {"text/plain", ".txt"},
    {"text/html", ".html"},
    {"text/csv", ".csv"},
    {"text/xml", ".xml"},
    {"image/png", ".png"},
    {"image/jpeg", ".jpg"},
    {"image/gif", ".gif"},
    {"image/svg+xml", ".svg"},
}};

bool isDroppedCharacter(gunichar c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The type without parameters, in lower case: "Application/JSON; charset=utf-8" is application/json.
std::string bareType(std::string_view mimeType) {
    std::string type(mimeType.substr(0, mimeType.find(';')));
    type.erase(type.find_last_not_of(" \t") + 1);
    const GCharPtr lower(g_ascii_strdown(type.c_str(), -1));
    return lower.get();
}

std::string_view extensionOf(std::string_view mimeType) {
    const std::string type = bareType(mimeType);
    const auto found = std::find_if(kExtensions.begin(), kExtensions.end(),
                                    [&type](const auto& entry) { return entry.first == type; });
    return found == kExtensions.end() ? std::string_view() : found->second;
}

std::string withoutDroppedCharacters(std::string_view name) {
    const GCharPtr valid(g_utf8_make_valid(name.data(), static_cast<gssize>(name.size())));
    std::string kept;
    for (const char* at = valid.get(); *at; at = g_utf8_next_char(at)) {
        if (!isDroppedCharacter(g_utf8_get_char(at)))
            kept.append(at, static_cast<std::size_t>(g_utf8_next_char(at) - at));
    }
    return kept;
}

// The longest start of valid UTF-8 text that ends on a whole character within limit bytes.
std::string_view utf8Prefix(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80) --limit;
    return text.substr(0, limit);
}

}  // namespace

std::optional<std::string> fromContentDisposition(const std::string& header) {
    const std::unique_ptr<SoupMessageHeaders, decltype(&soup_message_headers_unref)> headers(
        soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE), soup_message_headers_unref);
    soup_message_headers_append(headers.get(), "Content-Disposition", header.c_str());
    GHashTable* parameters = nullptr;
    if (!soup_message_headers_get_content_disposition(headers.get(), nullptr, &parameters)) return std::nullopt;
    const std::unique_ptr<GHashTable, decltype(&g_hash_table_destroy)> owned(parameters, g_hash_table_destroy);
    const auto* filename = static_cast<const char*>(g_hash_table_lookup(parameters, "filename"));
    return filename ? std::optional<std::string>(filename) : std::nullopt;
}

std::string safeFileName(std::string_view name, std::string_view mimeType) {
    if (const auto separator = name.find_last_of("/\\"); separator != std::string_view::npos)
        name.remove_prefix(separator + 1);
    std::string kept = withoutDroppedCharacters(name);
    kept.erase(0, kept.find_first_not_of('.'));
    if (kept.empty()) kept = kFallbackFileName;
    if (kept.find('.') == std::string::npos) kept += extensionOf(mimeType);
    return kept;
}

// An extension too long to keep with the counter is taken as part of the stem.
std::string numbered(const std::string& firstName, int counter) {
    const std::string suffix = counter == 0 ? "" : "-" + std::to_string(counter);
    const auto dot = firstName.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot != 0 && dot + 1 != firstName.size() &&
                              firstName.size() - dot + suffix.size() < kMaxFileNameBytes;
    const std::string_view name(firstName);
    const std::string_view extension = hasExtension ? name.substr(dot) : std::string_view();
    const std::string_view stem = hasExtension ? name.substr(0, dot) : name;
    return std::string(utf8Prefix(stem, kMaxFileNameBytes - suffix.size() - extension.size())) + suffix +
           std::string(extension);
}

// O_EXCL fails on any existing name, a symbolic link included, without following it.
std::optional<std::string> claimFreePath(const std::string& folder, const std::string& firstName) {
    for (int counter = 0; counter <= kMaxNumberedNames; ++counter) {
        std::string path = folder + "/" + numbered(firstName, counter);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace Q7ZDownloadFileName
