#include "utility/Q7ZACUtility.h"

#include <glib.h>
#include <uuid/uuid.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "config/SynchronousTask.h"

namespace Q7ZACUtility {
namespace {

constexpr std::string_view kReservedCharacters = ":/?#[]@!$&'()*+,;=";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

UrlRequest formPostRequest(const std::string& url, std::string_view body) {
    UrlRequest request;
    request.url = url;
    request.method = "POST";
    request.body.assign(body.begin(), body.end());
    request.headers = {{"Content-Length", std::to_string(request.body.size())},
                       {"Content-Type", "application/x-www-form-urlencoded"}};
    request.ignoreLocalCacheData = true;
    return request;
}

bool isValidUtf8(const Bytes& bytes) {
    return g_utf8_validate_len(reinterpret_cast<const char*>(bytes.data()), bytes.size(), nullptr);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string getServerUrl() {
    const std::int64_t sequence = Q7ZAppSettingConfigSingleton::getInstance().serverSequence();
    return Q7ZRemoteConfigSingleton::getInstance().getServerUrlDataWithSequence(sequence).url;
}

std::string getLoginPageUrl() {
    return getServerUrl() +
           "VUD/Parlor/ParlorLogin.aspx?lang=" + Q7ZAppSettingConfigSingleton::getInstance().language();
}

bool detectLoginPageValidThread() {
    UrlResponse response;
    UrlError error;
    const std::string url = getLoginPageUrl();
    const auto body = SynchronousTask::sendSynchronousDataTaskWithRequest(formPostRequest(url, ""), &response, &error);
    if (!body) return false;  // the request logged why
    if (response.statusCode == 200) return true;
    g_warning("the login page %s answered HTTP status %ld", url.c_str(), response.statusCode);
    return false;
}

std::string doHttpPostWithUrl(const std::string& url, const std::string& body) {
    UrlResponse response;
    UrlError error;
    const auto answer =
        SynchronousTask::sendSynchronousDataTaskWithRequest(formPostRequest(url, body), &response, &error);
    if (!answer) return {};
    if (!isValidUtf8(*answer)) {
        g_warning("the answer of %s is not UTF-8 text; it is ignored", url.c_str());
        return {};
    }
    return std::string(answer->begin(), answer->end());
}

std::string urlEncodeValue(std::string_view value) {
    std::string encoded;
    encoded.reserve(value.size());
    for (char c : value) {
        if (kReservedCharacters.find(c) == std::string_view::npos) {
            encoded += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        encoded += '%';
        encoded += kUpperHexDigits[byte >> 4];
        encoded += kUpperHexDigits[byte & 0x0F];
    }
    return encoded;
}

std::optional<std::string> getUrlDecodeString(std::string_view value) {
    std::string decoded;
    decoded.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            decoded += value[i];
            continue;
        }
        if (i + 2 >= value.size()) return std::nullopt;
        const int high = hexValue(value[i + 1]);
        const int low = hexValue(value[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    // Escapes may spell bytes that are not text (or a NUL); such a string is refused.
    if (!g_utf8_validate_len(decoded.data(), decoded.size(), nullptr)) return std::nullopt;
    return decoded;
}

std::string getUUIDString() {
    uuid_t uuid;
    uuid_generate_random(uuid);
    char text[37] = {};
    uuid_unparse_upper(uuid, text);
    return text;
}

}  // namespace Q7ZACUtility
