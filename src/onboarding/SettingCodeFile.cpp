#include "onboarding/SettingCodeFile.h"

#include "onboarding/Q7ZJWTData.h"
#include "onboarding/Q7ZServerSettingApplier.h"
#include "platform/GObjectPtr.h"

namespace {

std::optional<std::string> findProvisioned() {
    for (const gchar* const* folder = g_get_system_config_dirs(); *folder; ++folder) {
        const GCharPtr path(g_build_filename(*folder, SettingCodeFile::kProvisionedName, nullptr));
        if (g_file_test(path.get(), G_FILE_TEST_IS_REGULAR)) return std::string(path.get());
    }
    return std::nullopt;
}

const char* verificationFailure(const Q7ZJWTData& token) {
    switch (token.decodeStatus()) {
    case Q7ZJWTData::kVerified: return token.resultDic() ? nullptr : "it carries no settings";
    case Q7ZJWTData::kMalformedInput: return "it is not a signed setting code";
    default: return "its signature does not hold against the program's key";
    }
}

}  // namespace

std::optional<std::string> SettingCodeFile::read(const std::string& path, std::string* failure) {
    gchar* contents = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    const bool readable = g_file_get_contents(path.c_str(), &contents, &length, &error);
    const GCharPtr owned(contents);
    const GErrorPtr failed(error);
    std::string why;
    if (!readable) why = error->message;
    else if (!g_utf8_validate(contents, static_cast<gssize>(length), nullptr)) why = "it is not UTF-8 text";
    else return std::string(contents, length);
    if (failure) *failure = why;
    return std::nullopt;
}

bool SettingCodeFile::applyProvisioned(const std::string& embeddedPublicKeyPem) {
    const auto path = findProvisioned();
    if (!path) return false;
    std::string failure;
    Q7ZJWTData token;
    token.message = read(*path, &failure);
    if (token.message) {
        token.pemOfPublicKey = embeddedPublicKeyPem;
        token.verifySignatureWithPemPublicKey();
        if (const char* why = verificationFailure(token)) failure = why;
    }
    if (!failure.empty()) {
        g_warning("the administrator's setting code %s is not applied: %s", path->c_str(), failure.c_str());
        return false;
    }
    Q7ZServerSettingApplier::applySettingCodePayload(*token.resultDic());
    Q7ZServerSettingApplier::chooseServerAndSave();
    g_debug("the administrator's setting code %s is applied", path->c_str());
    return true;
}
