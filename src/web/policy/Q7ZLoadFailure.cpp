#include "web/policy/Q7ZLoadFailure.h"

#include <array>
#include <utility>

#include "platform/GObjectPtr.h"

namespace {

using Kind = Q7ZLoadFailure::Kind;

std::optional<Kind> kindOfIoError(int code) {
    switch (code) {
    case G_IO_ERROR_TIMED_OUT: return Kind::TookTooLong;
    case G_IO_ERROR_CONNECTION_CLOSED:
    case G_IO_ERROR_PARTIAL_INPUT: return Kind::ConnectionLost;
    default: return Kind::CannotReach;  // refused, unreachable, and whatever else keeps the server away
    }
}

std::string dateText(GDateTime* date) {
    if (!date) return "";
    GDateTimePtr utc(g_date_time_to_utc(date));
    return GCharPtr(g_date_time_format(utc.get(), "%Y-%m-%d %H:%M UTC")).get();
}

std::string stringProperty(GTlsCertificate* certificate, const char* name) {
    gchar* value = nullptr;
    g_object_get(certificate, name, &value, nullptr);
    GCharPtr owned(value);
    return value ? value : "";
}

std::string dateProperty(GTlsCertificate* certificate, const char* name) {
    GDateTime* value = nullptr;
    g_object_get(certificate, name, &value, nullptr);
    GDateTimePtr owned(value);
    return dateText(value);
}

}  // namespace

std::optional<Kind> Q7ZLoadFailure::kindOfNetworkError(const GError* error) {
    if (!error) return std::nullopt;
    if (error->domain == G_RESOLVER_ERROR)
        return error->code == G_RESOLVER_ERROR_TEMPORARY_FAILURE ? Kind::CannotReach : Kind::NameNotFound;
    if (error->domain == G_IO_ERROR) return kindOfIoError(error->code);
    if (error->domain == G_TLS_ERROR) return Kind::CertificateNotTrusted;
    return std::nullopt;
}

Q7ZLoadFailure::Certificate Q7ZLoadFailure::describe(GTlsCertificate* certificate, GTlsCertificateFlags problems) {
    static constexpr std::array<std::pair<GTlsCertificateFlags, const char*>, 7> kProblemKeys{{
        {G_TLS_CERTIFICATE_UNKNOWN_CA, "CertificateUnknownAuthority"},
        {G_TLS_CERTIFICATE_BAD_IDENTITY, "CertificateOtherName"},
        {G_TLS_CERTIFICATE_NOT_ACTIVATED, "CertificateNotYetValid"},
        {G_TLS_CERTIFICATE_EXPIRED, "CertificateExpired"},
        {G_TLS_CERTIFICATE_REVOKED, "CertificateRevoked"},
        {G_TLS_CERTIFICATE_INSECURE, "CertificateInsecure"},
        {G_TLS_CERTIFICATE_GENERIC_ERROR, "CertificateOtherProblem"},
    }};
    Certificate description;
    for (const auto& [flag, key] : kProblemKeys)
        if (problems & flag) description.problemKeys.emplace_back(key);
    if (!certificate) return description;
    description.subject = stringProperty(certificate, "subject-name");
    description.issuer = stringProperty(certificate, "issuer-name");
    description.validFrom = dateProperty(certificate, "not-valid-before");
    description.validUntil = dateProperty(certificate, "not-valid-after");
    GByteArray* der = nullptr;
    g_object_get(certificate, "certificate", &der, nullptr);
    if (der) {
        description.sha256Fingerprint = fingerprint(der->data, der->len);
        g_byte_array_unref(der);
    }
    return description;
}

std::string Q7ZLoadFailure::fingerprint(const std::uint8_t* der, std::size_t size) {
    GCharPtr hex(g_compute_checksum_for_data(G_CHECKSUM_SHA256, der, size));
    std::string text;
    for (const char* digit = hex.get(); digit[0] && digit[1]; digit += 2) {
        if (!text.empty()) text += ':';
        text += static_cast<char>(g_ascii_toupper(digit[0]));
        text += static_cast<char>(g_ascii_toupper(digit[1]));
    }
    return text;
}

const char* Q7ZLoadFailure::messageKey() const {
    switch (kind) {
    case Kind::CannotReach: return "LoadFailedCannotReach";
    case Kind::NameNotFound: return "LoadFailedNameNotFound";
    case Kind::TookTooLong: return "LoadFailedTookTooLong";
    case Kind::CertificateNotTrusted: return "LoadFailedCertificate";
    case Kind::ConnectionLost: return "LoadFailedConnectionLost";
    case Kind::PageStopped: return "LoadFailedPageStopped";
    case Kind::NoServer: return "LoadFailedNoServer";
    }
    return "LoadFailedCannotReach";
}
