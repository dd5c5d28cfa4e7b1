#pragma once
// Reads an RSA SubjectPublicKeyInfo that strict DER decoding refuses: keys built from a modulus
// and an exponent by some tools write every length in the long form (0x81 xx even below 128),
// which is valid BER but not DER, and OpenSSL's decoders reject it.
//
// Lengths may use any definite form; INTEGERs are read as unsigned big-endian magnitudes,
// leading zero bytes ignored. The algorithm must be rsaEncryption and every element must span
// its container exactly, so trailing or truncated bytes give no key.

#include <string_view>

#include "common/Base64.h"
#include "onboarding/OpenSslHandles.h"

class Q7ZLenientPublicKeyReader {
public:
    // The key inside "-----BEGIN PUBLIC KEY-----" ... "-----END PUBLIC KEY-----"; null when none.
    static OpenSslHandles::EvpPkeyPtr readPem(std::string_view pem);
    static OpenSslHandles::EvpPkeyPtr readDer(const Bytes& der);
    // An RSA public key from big-endian modulus and exponent; null when either is zero.
    static OpenSslHandles::EvpPkeyPtr rsaKeyFromComponents(const Bytes& modulus, const Bytes& exponent);
};
