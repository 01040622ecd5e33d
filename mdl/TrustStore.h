#pragma once
// The IACA roots a Document Signer certificate must chain to. Loaded from the "mDL Trust Folder"
// (certificates as DER, PEM or hex), checked with OpenSSL at the station's time rather than the
// system's, and the Document Signer usage (1.0.18013.5.1.2) looked up explicitly, since OpenSSL's
// chain verification does not check an extended key usage it has no purpose for.

#include "OpenSslHandles.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <ctime>
#include <vector>

namespace Mdl {

struct ChainResult {
    enum class Status { Trusted, NotTrusted, OutsideValidity, Broken };
    Status status = Status::Broken;
    QString leafSubject; // RFC 2253 text
    QString rootSubject; // set when trusted
    QString detail;      // OpenSSL's reason when not trusted
};

class TrustStore {
public:
    TrustStore();

    static constexpr const char* kDocumentSignerUsage = "1.0.18013.5.1.2";
    static QString DefaultFolder() { return QStringLiteral("/var/lib/kestrin/mdl-trust"); }

    // The certificates of one file's content: DER, PEM (one or more) or the hex text of DER.
    static std::vector<X509Ptr> ParseCertificates(const QByteArray& content);
    static X509Ptr ParseDer(const QByteArray& der);

    void Add(X509Ptr certificate);
    std::size_t Size() const { return m_roots.size(); }

    // Chains x5chain (leaf first, DER) to a root at `now` (seconds since the epoch, UTC).
    ChainResult Verify(const QList<QByteArray>& chain, std::time_t now) const;

    static bool HasExtendedKeyUsage(X509* certificate, const char* oid);
    static QString Subject(X509* certificate);

private:
    X509StorePtr m_store;
    std::vector<X509Ptr> m_roots;
};

} // namespace Mdl
