#include "downloads/Q7ZDownloadFileName.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include <glib.h>
#include <libsoup/soup.h>

#include "platform/GObjectPtr.h"

namespace Q7ZDownloadFileName {

namespace {

constexpr const char* kFallbackFileName = "download";

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

}  // namespace Q7ZDownloadFileName
