// velloq-sign-setting-code: turns a JSON payload into a signed setting code.
//   velloq-sign-setting-code [--key PRIVATE.pem] [--base URL] [PAYLOAD.json | -]
// Reads the payload from the file, or from stdin without one (or with "-"); replaces every
// "{base}" with URL; prints base64url(header).base64url(compact payload).base64url(RS256
// signature), without padding, and a newline. The default key is the shipped test key.

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include <openssl/pem.h>
#include <nlohmann/json.hpp>

#include "SettingCodeSigner.h"
#include "onboarding/OpenSslHandles.h"

namespace {

struct Options {
    std::string keyPath = VELLOQ_DEMO_KEY_DIR "/test-private.pem";
    std::string baseUrl;
    std::string payloadPath = "-";
};

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

OpenSslHandles::EvpPkeyPtr readPrivateKey(const std::string& path) {
    const std::optional<std::string> pem = readAll(path);
    if (!pem) return nullptr;
    OpenSslHandles::BioPtr bio(BIO_new_mem_buf(pem->data(), static_cast<int>(pem->size())));
    if (!bio) return nullptr;
    return OpenSslHandles::EvpPkeyPtr(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
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
    const OpenSslHandles::EvpPkeyPtr key = readPrivateKey(options->keyPath);
    if (!key) return fail("cannot read the private key " + options->keyPath);

    const std::optional<std::string> code = SettingCodeSigner::sign(key.get(), payload.dump());
    if (!code) return fail("signing failed");
    std::cout << *code << "\n";
    return 0;
}
