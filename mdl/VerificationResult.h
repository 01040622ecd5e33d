#pragma once
// What the checks of one mobile-licence response found: the failures by code (each at most once, in
// the order the checks run), the issuer and root that signed it, and the elements the holder disclosed.
// Elements of a response with any failure are for diagnosis only, never for a verdict.

#include <QCborValue>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

namespace Mdl {

enum class Failure {
    Malformed,
    SessionDecrypt,
    IssuerSignature,
    IssuerUntrusted,
    DsUsage,
    Digest,
    DocType,
    Validity,
    DeviceAuth,
};

inline const char* FailureCode(Failure failure) {
    switch (failure) {
    case Failure::Malformed:
        return "malformed";
    case Failure::SessionDecrypt:
        return "session-decrypt";
    case Failure::IssuerSignature:
        return "issuer-signature";
    case Failure::IssuerUntrusted:
        return "issuer-untrusted";
    case Failure::DsUsage:
        return "ds-usage";
    case Failure::Digest:
        return "digest";
    case Failure::DocType:
        return "doctype";
    case Failure::Validity:
        return "validity";
    case Failure::DeviceAuth:
        return "device-auth";
    }
    return "malformed";
}

struct DisclosedElement {
    QString nameSpace;
    QString identifier;
    QCborValue value;
};

struct VerificationResult {
    std::vector<Failure> failures;
    QStringList reasons; // one sentence per failure, for the log and the screen
    QString docType;
    QString issuer;              // the Document Signer's subject
    std::optional<QString> iaca; // the root's subject when the chain reached one
    QString deviceAuth;          // "mac", "signature" or empty
    QDateTime validFrom;
    QDateTime validUntil;
    QList<DisclosedElement> elements;

    bool Verified() const { return failures.empty(); }
    bool Has(Failure failure) const { return std::find(failures.begin(), failures.end(), failure) != failures.end(); }
    void Fail(Failure failure, const QString& reason) {
        if (!Has(failure))
            failures.push_back(failure);
        reasons.append(reason);
    }
};

} // namespace Mdl
