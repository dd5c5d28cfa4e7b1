#pragma once
// The name a download is saved under, from what the answer says about itself. Both kinds of
// download (the engine's and the page's own) name their files through these rules, so a
// hostile server cannot hide a file (a leading dot), disguise it (bidirectional controls turn
// "invoice\u202Efdp.sh" into "invoicehs.pdf" on screen) or reach outside the download folder.

#include <optional>
#include <string>
#include <string_view>

namespace Q7ZDownloadFileName {

// The file name a Content-Disposition header suggests, by libsoup's reading of RFC 6266 (an
// RFC 5987 "filename*" wins over "filename"), without folders; none when it names none.
std::optional<std::string> fromContentDisposition(const std::string& header);

// name as a file in the download folder may be called: its last path component, valid UTF-8,
// without C0 and C1 controls, bidirectional controls (U+202A–U+202E, U+2066–U+2069) and leading
// dots, "download" when nothing is left; a name without extension gets the usual one of
// mimeType ("application/json": ".json") when it has one.
std::string safeFileName(std::string_view name, std::string_view mimeType = {});

// The names a download tries in turn when the first is taken: counter 0 is firstName itself,
// then "<stem>-<counter>.<extension>". A leading dot starts no extension; a name longer than a
// file name may be (255 bytes) loses the end of its stem, so it keeps its extension.
std::string numbered(const std::string& firstName, int counter);

// Past this many numbered names a folder is treated as unusable rather than searched on.
constexpr int kMaxNumberedNames = 10000;

// Claims the first free numbered name of firstName in folder by creating an empty file there
// exclusively (mode 0666 narrowed by the umask), so nothing that was there (a file, a link, even
// a dangling one) is ever replaced. The path; nullopt (errno set) when none could be created.
std::optional<std::string> claimFreePath(const std::string& folder, const std::string& firstName);

}  // namespace Q7ZDownloadFileName
