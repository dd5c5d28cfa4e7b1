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

}  // namespace Q7ZDownloadFileName
