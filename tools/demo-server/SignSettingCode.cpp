// velloq-sign-setting-code: turns a JSON payload into a signed setting code.
//   velloq-sign-setting-code [--key PRIVATE.pem] [--base URL] [PAYLOAD.json | -]
// Reads the payload from the file, or from stdin without one (or with "-"); replaces every
// "{base}" with URL; prints base64url(header).base64url(compact payload).base64url(RS256
// signature), without padding, and a newline. The default key is the shipped test key.

#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <nlohmann/json.hpp>

namespace {

struct Options {
    std::string keyPath = VELLOQ_DEMO_KEY_DIR "/test-private.pem";
    std::string baseUrl;
    std::string payloadPath = "-";
};

using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;
using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using DigestContextPtr = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    bool payloadGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if ((argument == "--key" || argument == "--base") && i + 1 < argc) {
            (argument == "--key" ? options.keyPath : options.baseUrl) = argv[++i];
        } else if (!payloadGiven && (argument == "-" || argument.rfind("--", 0) != 0)) {
            options.payloadPath = argument;
            payloadGiven = true;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

std::optional<std::string> readAll(const std::string& path) {
    if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string substituteBase(std::string text, const std::string& baseUrl) {
    static const std::string placeholder = "{base}";
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + baseUrl.size()))
        text.replace(at, placeholder.size(), baseUrl);
    return text;
}

std::string base64Url(const std::string& bytes) {
    std::string encoded(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    encoded.resize(static_cast<std::size_t>(length));
    while (!encoded.empty() && encoded.back() == '=') encoded.pop_back();
    for (char& c : encoded) c = c == '+' ? '-' : c == '/' ? '_' : c;
    return encoded;
}

KeyPtr readPrivateKey(const std::string& path) {
    const std::optional<std::string> pem = readAll(path);
    if (!pem) return {nullptr, EVP_PKEY_free};
    BioPtr bio(BIO_new_mem_buf(pem->data(), static_cast<int>(pem->size())), BIO_free);
    if (!bio) return {nullptr, EVP_PKEY_free};
    return {PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr), EVP_PKEY_free};
}

std::optional<std::string> signRs256(EVP_PKEY* key, const std::string& signingInput) {
    DigestContextPtr context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    EVP_PKEY_CTX* keyContext = nullptr;
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

int fail(const std::string& message) {
    std::cerr << "velloq-sign-setting-code: " << message << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::cerr << "usage: velloq-sign-setting-code [--key PRIVATE.pem] [--base URL] [PAYLOAD.json | -]\n";
        return 2;
    }
    const std::optional<std::string> payloadText = readAll(options->payloadPath);
    if (!payloadText) return fail("cannot read " + options->payloadPath);
    const nlohmann::json payload =
        nlohmann::json::parse(substituteBase(*payloadText, options->baseUrl), nullptr, false);
    if (payload.is_discarded() || !payload.is_object()) return fail("the payload is not a JSON object");
    const KeyPtr key = readPrivateKey(options->keyPath);
    if (!key) return fail("cannot read the private key " + options->keyPath);

    const std::string signingInput = base64Url(R"({"alg":"RS256","typ":"JWT"})") + "." + base64Url(payload.dump());
    const std::optional<std::string> signature = signRs256(key.get(), signingInput);
    if (!signature) return fail("signing failed");
    std::cout << signingInput << "." << base64Url(*signature) << "\n";
    return 0;
}
