#pragma once
// Small but valid files of the kinds a web page offers for download, built in code so that no
// binary sits in the source tree.

#include <string>
#include <utility>
#include <vector>

namespace SampleFiles {

// A size x size RGB image: a blue square with a white speech bubble.
std::string png(int size = 32);

// A one-page PDF 1.4 document showing text in Helvetica.
std::string pdf(const std::string& text);

// A ZIP archive with the given (name, content) entries, stored uncompressed.
std::string zip(const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace SampleFiles
