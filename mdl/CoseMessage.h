#pragma once
// COSE_Sign1 and COSE_Mac0 (RFC 9052), which share one shape: [protected bstr, unprotected map,
// payload bstr / nil, signature or tag]. The protected header and payload are kept as received;
// the to-be-signed structure wraps them without decoding them again.

#include <QByteArray>
#include <QCborMap>
#include <QList>

#include <optional>

namespace Mdl {

class CoseMessage {
public:
    // Accepts the message with or without its tag (18 for Sign1, 17 for Mac0).
    static std::optional<CoseMessage> Parse(const QByteArray& item);

    // Sig_structure ["Signature1", protected, h'', payload] or MAC_structure ["MAC0", ...];
    // `payload` is the detached payload when the message carries nil.
    QByteArray SignatureStructure(const QByteArray& payload) const;
    QByteArray MacStructure(const QByteArray& payload) const;

    // Header label 1 from the protected header (the only place the algorithm may come from).
    std::optional<qint64> Algorithm() const;
    // x5chain (label 33), leaf first, from the protected or the unprotected header.
    QList<QByteArray> CertificateChain() const;

    const QByteArray& ProtectedBytes() const { return m_protected; }
    const std::optional<QByteArray>& Payload() const { return m_payload; }
    const QByteArray& Tag() const { return m_tag; }

    // Builds a Sign1/Mac0 from parts (the test issuer and the fake holder use this).
    static QByteArray Encode(const QByteArray& protectedBytes, const QByteArray& unprotectedItem,
                             const std::optional<QByteArray>& payload, const QByteArray& tag);

private:
    QByteArray ToBeSigned(const char* context, const QByteArray& payload) const;

    QByteArray m_protected;
    QCborMap m_protectedMap;
    QCborMap m_unprotected;
    std::optional<QByteArray> m_payload;
    QByteArray m_tag;
};

} // namespace Mdl
