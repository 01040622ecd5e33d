#pragma once
// A VICAL (verified issuer certificate authority list, as AAMVA publishes one): a COSE_Sign1 whose
// x5chain holds the list signer's certificate and whose payload lists IACA certificates with the
// docTypes each may sign. Its own signature and chain (to an anchor of the trust folder's
// "vical-anchors" subfolder) are checked before any certificate of it is used. A list past its
// nextUpdate is still used for a grace of 7 days, flagged out of date; after that not at all.

#include "OpenSslHandles.h"
#include "TrustStore.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <ctime>
#include <optional>
#include <vector>

namespace Mdl {

class Vical {
public:
    enum class Status { Current, OutOfDate, Expired, Invalid };
    static constexpr std::time_t kGraceSeconds = 7 * 24 * 3600;

    // Empty optional when the bytes are not a VICAL at all (so a folder file can be tried as one).
    static std::optional<Vical> Parse(const QByteArray& bytes);

    // Signature, chain to `anchors` at `now`, and the nextUpdate grace.
    Status Check(const TrustStore& anchors, std::time_t now, QString& why) const;
    // The IACA certificates the list allows for `docType` (entries without docTypes allow every one).
    std::vector<X509Ptr> Certificates(const QString& docType) const;

    const QDateTime& NextUpdate() const { return m_nextUpdate; }
    const QString& Provider() const { return m_provider; }

private:
    QByteArray m_signed; // the COSE_Sign1 as received
    QDateTime m_date;
    QDateTime m_nextUpdate;
    QString m_provider;
};

} // namespace Mdl
