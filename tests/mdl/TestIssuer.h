#pragma once
// A test-only issuer and wallet in one: signs an MSO over the elements it is given with a Document
// Signer of the test PKI and answers for a session with deviceSignature or deviceMac, so that tests
// can make responses the checks must accept or reject.

#include "TestPki.h"

#include <QCborValue>
#include <QList>
#include <QString>

#include <ctime>

namespace MdlTests {

struct IssuedElement {
    QString identifier;
    QCborValue value;
};

struct IssueOptions {
    QString signer = QStringLiteral("ds");
    QList<IssuedElement> elements;
    QString docType = QStringLiteral("org.iso.18013.5.1.mDL");
    QString msoDocType = QStringLiteral("org.iso.18013.5.1.mDL");
    std::time_t validFrom = 0;
    std::time_t validUntil = 0;
    bool deviceMac = false;
    bool changeItemAfterSigning = false; // one disclosed item differs from what the MSO digests
};

class TestIssuer {
public:
    explicit TestIssuer(const TestPki& pki);

    // A DeviceResponse for the session whose transcript is `transcriptBytes`; the reader's public
    // key is needed for deviceMac.
    QByteArray Response(const IssueOptions& options, const QByteArray& transcriptBytes,
                        EVP_PKEY* readerPublicKey) const;

    // age_over_21 true or false, a portrait, the jurisdiction and the expiry.
    static QList<IssuedElement> DoorElements(bool over21);
    static QByteArray Portrait();

private:
    QByteArray IssuerSigned(const IssueOptions& options) const;
    QByteArray DeviceSigned(const IssueOptions& options, const QByteArray& transcriptBytes,
                            EVP_PKEY* readerPublicKey) const;

    const TestPki& m_pki;
    Mdl::PkeyPtr m_deviceKey;
};

} // namespace MdlTests
