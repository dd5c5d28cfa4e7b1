#pragma once
// A certificate made at start for --tls: signed by its own key, so no system trusts it. It
// names the bound host (and 127.0.0.1) and is valid from an hour ago for thirty days.

#include <memory>
#include <string>

#include <openssl/evp.h>
#include <openssl/x509.h>

struct SelfSignedCertificate {
    std::unique_ptr<X509, decltype(&X509_free)> certificate{nullptr, &X509_free};
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key{nullptr, &EVP_PKEY_free};

    // Empty pointers when OpenSSL failed.
    static SelfSignedCertificate make(const std::string& host);
};
