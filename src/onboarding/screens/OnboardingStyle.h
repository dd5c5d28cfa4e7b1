#pragma once
// Style sheets of the onboarding screens and windows: colours as the screens name them
// (six hexadecimal digits) turned into CSS, and a sheet added once for the whole display.

#include <string>

namespace OnboardingStyle {

// "rgb(r,g,b)" for "3468D6".
std::string cssColor(const char* hexColor);

// Adds the sheet for every window of the default screen; call once per sheet.
void addStyleSheet(const std::string& css);

}  // namespace OnboardingStyle
