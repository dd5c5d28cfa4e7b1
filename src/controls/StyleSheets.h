#pragma once
// The program's style sheets: CSS files among the bundle's resources (resources/styles/), each
// added once, for the whole display, by the first window or screen that needs it. Colours are
// written as the layouts name them ("#FF6416"), fonts in pixels as the layouts are.

#include <string>

namespace StyleSheets {

// Adds <name>.css of the main bundle; a missing or faulty sheet is logged, and the widgets keep
// the theme's look.
void require(const std::string& name);

}  // namespace StyleSheets
