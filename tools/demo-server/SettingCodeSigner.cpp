#include "SettingCodeSigner.h"

#include <openssl/rsa.h>

#include "onboarding/OpenSslHandles.h"

namespace {

std::string base64Url(std::string_view bytes) {
    std::string encoded(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    encoded.resize(static_cast<std::size_t>(length));
    while (!encoded.empty() && encoded.back() == '=') encoded.pop_back();
    for (char& c : encoded) c = c == '+' ? '-' : c == '/' ? '_' : c;
    return encoded;
}

std::optional<std::string> signRs256(EVP_PKEY* key, std::string_view signingInput) {
    OpenSslHandles::EvpMdCtxPtr context(EVP_MD_CTX_new());
    EVP_PKEY_CTX* keyContext = nullptr;  // owned by context
    if (!context || EVP_DigestSignInit(context.get(), &keyContext, EVP_sha256(), nullptr, key) != 1)
        return std::nullopt;
    if (EVP_PKEY_CTX_set_rsa_padding(keyContext, RSA_PKCS1_PADDING) != 1) return std::nullopt;
    std::size_t length = 0;
    const auto* input = reinterpret_cast<const unsigned char*>(signingInput.data());
    if (EVP_DigestSign(context.get(), nullptr, &length, input, signingInput.size()) != 1) return std::nullopt;
    std::string signature(length, '\0');
    if (EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &length, input,
                       signingInput.size()) != 1)
        return std::nullopt;
    signature.resize(length);
    return signature;
}

}  // namespace

std::optional<std::string> SettingCodeSigner::sign(EVP_PKEY* key, std::string_view payloadJson,
                                                   std::string_view headerJson) {
    const std::string signingInput = base64Url(headerJson) + "." + base64Url(payloadJson);
    const std::optional<std::string> signature = signRs256(key, signingInput);
    if (!signature) return std::nullopt;
    return signingInput + "." + base64Url(*signature);
}
