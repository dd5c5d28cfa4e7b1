// The input as PEM public key text and as DER.
#include "FuzzTargets.h"

#include <openssl/err.h>
#include <openssl/x509.h>

#include "onboarding/Q7ZJWTData.h"
#include "onboarding/Q7ZLenientPublicKeyReader.h"

namespace {

// A key the fuzzer did not sign with never verifies a signature, however odd its numbers.
void checkVerifiesNoStranger(EVP_PKEY* key) { FUZZ_CHECK(!Q7ZJWTData::verifyInput("head.body", "c2lnbmF0dXJl", key)); }

// A key the lenient reader accepted, written as strict DER, is OpenSSL's and its own same key.
void checkKeySurvivesStrictDer(EVP_PKEY* key) {
    checkVerifiesNoStranger(key);
    unsigned char* der = nullptr;
    const int length = i2d_PUBKEY(key, &der);
    FUZZ_CHECK(length > 0);
    const Bytes strict(der, der + length);
    OPENSSL_free(der);
    const unsigned char* cursor = strict.data();
    const OpenSslHandles::EvpPkeyPtr opensslKey(d2i_PUBKEY(nullptr, &cursor, length));
    const auto reread = Q7ZLenientPublicKeyReader::readDer(strict);
    FUZZ_CHECK(opensslKey && reread && EVP_PKEY_eq(opensslKey.get(), key) == 1 && EVP_PKEY_eq(reread.get(), key) == 1);
}

}  // namespace

FUZZ_TARGET(public_key) {
    const std::string text(input);
    if (const auto key = Q7ZJWTData::getPublicKeyRef(text)) checkVerifiesNoStranger(key.get());
    if (const auto key = Q7ZLenientPublicKeyReader::readPem(text)) checkKeySurvivesStrictDer(key.get());
    if (const auto key = Q7ZLenientPublicKeyReader::readDer(Bytes(input.begin(), input.end())))
        checkKeySurvivesStrictDer(key.get());
    ERR_clear_error();
}
