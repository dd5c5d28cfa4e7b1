#include "SelfSignedCertificate.h"

#include <openssl/rsa.h>
#include <openssl/x509v3.h>

namespace {

bool addSubjectAltName(X509* certificate, const std::string& host) {
    const std::string names = "IP:127.0.0.1,DNS:localhost" + (host == "127.0.0.1" ? "" : ",DNS:" + host);
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, names.c_str());
    const bool added = extension && X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

}  // namespace

SelfSignedCertificate SelfSignedCertificate::make(const std::string& host) {
    SelfSignedCertificate made;
    made.key.reset(EVP_RSA_gen(2048));
    made.certificate.reset(X509_new());
    X509* certificate = made.certificate.get();
    if (!made.key || !certificate) return {};
    X509_NAME* name = X509_get_subject_name(certificate);
    const bool built =
        X509_set_version(certificate, 2) == 1 && ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1) == 1 &&
        X509_gmtime_adj(X509_getm_notBefore(certificate), -3600) &&
        X509_gmtime_adj(X509_getm_notAfter(certificate), 30L * 24 * 3600) &&
        X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Velloq Demo"), -1,
                                   -1, 0) == 1 &&
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(host.c_str()), -1,
                                   -1, 0) == 1 &&
        X509_set_issuer_name(certificate, name) == 1 && X509_set_pubkey(certificate, made.key.get()) == 1 &&
        addSubjectAltName(certificate, host) && X509_sign(certificate, made.key.get(), EVP_sha256()) > 0;
    return built ? std::move(made) : SelfSignedCertificate{};
}
