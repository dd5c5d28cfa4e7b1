#pragma once
// The program's small tools, each used from several subsystems: the addresses it talks to and
// the form post to them, URL and UUID text, colours written as hexadecimal, the size of a file as
// text, and the interface language of the main bundle. Free of the toolkit, so every rule here is
// unit-tested without a display; controls/GdkColors.h turns a colour into a Gdk::RGBA.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Q7ZACUtility {

// Addresses and the network (Q7ZACUtility.cpp).

// Base URL of the chosen server (settings' serverSequence in the remote configuration's
// list); "" when that sequence has no entry.
std::string getServerUrl();
// "<server>VUD/Parlor/ParlorLogin.aspx?lang=<language>"
std::string getLoginPageUrl();
// POSTs an empty form to the login page on the calling thread; true only for status 200.
bool detectLoginPageValidThread();
// POSTs body as a form; the response body decoded as UTF-8 whatever the status, "" on failure.
std::string doHttpPostWithUrl(const std::string& url, const std::string& body);

// Percent-encodes exactly the 18 reserved characters of RFC 3986.
std::string urlEncodeValue(std::string_view value);
// nullopt when an escape is malformed.
std::optional<std::string> getUrlDecodeString(std::string_view value);
// A new random UUID, upper case, 36 characters.
std::string getUUIDString();

// Colours written as six hexadecimal digits ("3468D6"), as every screen names them
// (Q7ZACUtilityColor.cpp).

// Components in 0…1.
struct RGBAColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;

    friend bool operator==(const RGBAColor&, const RGBAColor&) = default;
};

// Answered for any text that is not a colour.
inline constexpr RGBAColor kFallbackColor{1.0, 0.0, 0.0, 1.0};

// Accepts "RRGGBB", "#RRGGBB" or "0xRRGGBB" in either letter case, with white space and line
// breaks around it. Anything else, including a pair that is not hexadecimal, gives pure red.
RGBAColor colorWithRGBHexString(std::string_view text);

// The size of a file as the downloads list shows it: "1.5 KB", "20.0 MB", "512 Byte"
// (Q7ZACUtilityFileSize.cpp). Steps of 1024 with one decimal; up to 1024 (zero and negative
// sizes included) in whole bytes. The count goes through single precision before it is scaled,
// as the list always showed it: 1127428916 bytes read "1.0 GB", not "1.1 GB".
std::string getFileSizeDescriptionFromOriginSize(std::int64_t originSize);

// Makes every later main-bundle lookup answer from the localisation folder of that name
// ("zh-Hans" for Resources/zh-Hans.lproj); none, or a name without a folder, returns the
// lookups to the ordinary choice, made afresh from the user's current preferences
// (Q7ZACUtilityLanguage.cpp).
void setLanguage(const std::optional<std::string>& folderName);

}  // namespace Q7ZACUtility
