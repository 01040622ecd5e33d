#pragma once
// Session keys and message encryption between station (reader) and holder (mdoc): ECDH of the two
// ephemeral keys, HKDF with the transcript's hash as salt gives SKReader and SKDevice; each side
// encrypts with its own key under AES-256-GCM with an IV of its identifier and a message counter
// starting at 1, so a counter is never used twice.

#include "OpenSslHandles.h"

#include <QByteArray>

#include <optional>

namespace Mdl {

class SessionEncryption {
public:
    enum class Role { Reader, Holder };

    SessionEncryption(Role role, QByteArray skReader, QByteArray skDevice);
    // Empty optional when the keys do not agree on a curve.
    static std::optional<SessionEncryption> Derive(Role role, EVP_PKEY* ownPrivateKey, EVP_PKEY* peerPublicKey,
                                                   const QByteArray& sessionTranscriptBytes);

    QByteArray Encrypt(const QByteArray& plain);
    // Empty optional when the tag does not match; the counter then stays, the session is to end.
    std::optional<QByteArray> Decrypt(const QByteArray& cipherAndTag);

    const QByteArray& SkReader() const { return m_skReader; }
    const QByteArray& SkDevice() const { return m_skDevice; }

private:
    static QByteArray Iv(bool fromHolder, quint32 counter);

    Role m_role;
    QByteArray m_skReader;
    QByteArray m_skDevice;
    quint32 m_sendCounter = 1;
    quint32 m_receiveCounter = 1;
};

} // namespace Mdl
