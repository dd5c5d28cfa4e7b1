#pragma once
// Why the main view shows no page, in words a user understands, and what an administrator needs
// to compare when the server's certificate is not trusted. Free of the engine: the web host
// hands in the load's error (a GIO, resolver or TLS error as the engine reports it) or the
// certificate, and shows the texts.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gio/gio.h>

struct Q7ZLoadFailure {
    enum class Kind {
        CannotReach,
        NameNotFound,
        TookTooLong,
        CertificateNotTrusted,
        ConnectionLost,
        PageStopped,
        NoServer  // the chosen server is not among the stored ones: nothing to load
    };

    // A certificate as the error page lists it; the dates as "YYYY-MM-DD HH:MM UTC".
    struct Certificate {
        std::string subject, issuer, validFrom, validUntil, sha256Fingerprint;
        // String-table keys, one for each problem the engine found.
        std::vector<std::string> problemKeys;
    };

    Kind kind = Kind::CannotReach;
    std::string host;
    std::optional<Certificate> certificate;

    // A network error's kind; nullopt for errors of another domain (the engine's own: a
    // cancelled load, a policy decision), which are no failure of the page.
    static std::optional<Kind> kindOfNetworkError(const GError* error);
    static Certificate describe(GTlsCertificate* certificate, GTlsCertificateFlags problems);
    // "AB:CD:…", 32 pairs for SHA-256.
    static std::string fingerprint(const std::uint8_t* der, std::size_t size);

    // Whether the program tries again by itself: not after the page's process ended twice,
    // which another attempt would likely repeat, nor without a server.
    bool isRetriedAutomatically() const { return kind != Kind::PageStopped && kind != Kind::NoServer; }
    // String-table key of the sentence that says what failed ("%@" stands for the host).
    const char* messageKey() const;
};
