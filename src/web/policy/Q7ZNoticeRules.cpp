#include "web/policy/Q7ZNoticeRules.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include <glib.h>

#include "common/Json.h"
#include "common/PageScript.h"
#include "config/Q7ZAppSettingConfigSingleton.h"
#include "platform/Bundle.h"
#include "platform/GObjectPtr.h"

namespace {

using Json = nlohmann::json;
using Type = Q7ZDesktopNotifyType;

// The kinds as the notification carries them: the page operations that make them.
constexpr std::array<std::pair<Type, std::string_view>, 3> kKindNames = {
    {{Type::Notice, "showNotice"}, {Type::IMNotice, "showIMNotice"}, {Type::InviteNotice, "showInviteNotice"}}};
constexpr std::int64_t kRoomChannel = 1;

std::string kindName(Type type) {
    for (const auto& [kindType, name] : kKindNames)
        if (kindType == type) return std::string(name);
    return {};
}

std::optional<Type> typeNamed(std::string_view kind) {
    for (const auto& [type, name] : kKindNames)
        if (name == kind) return type;
    return std::nullopt;
}

std::optional<Json> parseObject(std::string_view text) {
    std::optional<Json> value = Q7Z_JSON::JSONValue(text);
    if (!value || !value->is_object()) return std::nullopt;
    return value;
}

// Shortest text that reads back as the same number: 42.0 -> "42", 0.1 -> "0.1".
std::string numberText(double number) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
    return std::string(buffer.data(), result.ptr);
}

// A member as text: a string as it is, a number as its digits, a flag as 1 or 0; "" for a
// missing member, null, an object or an array.
std::string memberText(const Json& object, const char* key) {
    const auto member = object.find(key);
    if (member == object.end()) return {};
    switch (member->type()) {
    case Json::value_t::string: return member->get<std::string>();
    case Json::value_t::number_integer: return std::to_string(member->get<std::int64_t>());
    case Json::value_t::number_unsigned: return std::to_string(member->get<std::uint64_t>());
    case Json::value_t::number_float: return numberText(member->get<double>());
    case Json::value_t::boolean: return member->get<bool>() ? "1" : "0";
    default: return {};
    }
}

// Whole part of a number, held to the 64-bit range (NaN -> 0).
std::int64_t clampedInteger(double number) {
    if (std::isnan(number)) return 0;
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    if (number <= static_cast<double>(kMin)) return kMin;
    if (number >= static_cast<double>(kMax)) return kMax;
    return static_cast<std::int64_t>(number);
}

// The integer a string starts with (after blanks, with an optional sign), held to the 64-bit
// range; 0 when it starts with none.
std::int64_t leadingInteger(const std::string& text) { return g_ascii_strtoll(text.c_str(), nullptr, 10); }

// A member as an integer: numbers lose their fraction, strings give their leading integer,
// flags 1 or 0; anything else is 0.
std::int64_t memberInteger(const Json& object, const char* key) {
    const auto member = object.find(key);
    if (member == object.end()) return 0;
    switch (member->type()) {
    case Json::value_t::number_integer: return member->get<std::int64_t>();
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float: return clampedInteger(member->get<double>());
    case Json::value_t::string: return leadingInteger(member->get<std::string>());
    case Json::value_t::boolean: return member->get<bool>() ? 1 : 0;
    default: return 0;
    }
}

std::string noticeTitle(Type type, const Json& notice) {
    std::string title = memberText(notice, "Name");
    if (type != Type::IMNotice || memberInteger(notice, "ChannelType") != kRoomChannel) return title;
    const std::string room = memberText(notice, "ChatRoomName");
    return room.empty() ? title : room + "(" + title + ")";
}

// A room's conversation goes in the third place, any other in the second.
std::string messageListScript(const Json& notice) {
    const std::int64_t channel = memberInteger(notice, "ChannelType");
    const std::string id = memberText(notice, "ID");
    if (channel == kRoomChannel) return PageScript::call("parlorMain.initMessageList", {channel, "", id});
    return PageScript::call("parlorMain.initMessageList", {channel, id, ""});
}

// Only an absolute web address is opened: anything else (javascript:, data:, file:, relative
// text) would run or show in the web app's own origin.
bool isWebAddress(const std::string& url) {
    const GUriPtr uri(g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr));
    if (!uri) return false;
    const char* host = g_uri_get_host(uri.get());
    const char* scheme = g_uri_get_scheme(uri.get());
    return host && *host && (g_ascii_strcasecmp(scheme, "http") == 0 || g_ascii_strcasecmp(scheme, "https") == 0);
}

std::string noticeScript(const Json& notice) {
    const std::string url = memberText(notice, "Url");
    if (!isWebAddress(url)) return PageScript::call("parlorMain.openNoticeLog");
    return PageScript::call("window.open", {url});
}

bool isFile(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR); }

}  // namespace

std::optional<Q7ZNoticeRules::Notice> Q7ZNoticeRules::makeNotice(Q7ZDesktopNotifyType type,
                                                                 const std::string& jsonText) const {
    if (!m_settings.isDesktopNotifications()) return std::nullopt;
    const std::optional<Json> notice = parseObject(jsonText);
    if (!notice) return std::nullopt;
    return Notice{noticeTitle(type, *notice), memberText(*notice, "Content"), kindName(type), jsonText};
}

std::optional<std::string> Q7ZNoticeRules::scriptForClick(std::string_view kind, std::string_view jsonText) {
    const std::optional<Type> type = typeNamed(kind);
    const std::optional<Json> notice = parseObject(jsonText);
    if (!type || !notice) return std::nullopt;
    switch (*type) {
    case Type::Notice: return noticeScript(*notice);
    case Type::IMNotice: return messageListScript(*notice);
    case Type::InviteNotice: return PageScript::call("parlorMain.openInviteLog");
    }
    return std::nullopt;
}

std::optional<std::int64_t> Q7ZNoticeRules::badgeCount(std::optional<double> value) {
    if (!value || !std::isfinite(*value)) return std::nullopt;
    const std::int64_t count = clampedInteger(*value);
    if (count <= 0) return std::nullopt;
    return count;
}

std::optional<std::string> Q7ZNoticeRules::soundPath() const {
    const std::string custom = m_settings.customNotificationSoundPath();
    if (m_settings.isCustomNotificationSound() && !custom.empty() && isFile(custom)) return custom;
    std::optional<std::string> bundled = Bundle::mainBundle().pathForResource("Notify", "wav");
    if (!bundled) g_warning("the notification sound Notify.wav is missing from %s", Bundle::mainBundlePath().c_str());
    return bundled;
}

Q7ZNoticeRules::SoundAction Q7ZNoticeRules::soundActionForNoticeEvent() {
    if (!m_settings.isNotificationSound()) return SoundAction::None;
    const std::string custom = m_settings.customNotificationSoundPath();
    if (!m_settings.isCustomNotificationSound() || custom.empty() || isFile(custom)) return SoundAction::Play;
    g_warning("the notification sound %s has gone; the default sound is used from now on", custom.c_str());
    m_settings.setCustomNotificationSoundPath("");
    m_settings.saveConfig();
    return SoundAction::ReloadAndPlay;
}
