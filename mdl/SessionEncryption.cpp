#include "SessionEncryption.h"

#include "MdlCrypto.h"

#include <utility>

namespace Mdl {

SessionEncryption::SessionEncryption(Role role, QByteArray skReader, QByteArray skDevice)
    : m_role(role), m_skReader(std::move(skReader)), m_skDevice(std::move(skDevice)) {}

std::optional<SessionEncryption> SessionEncryption::Derive(Role role, EVP_PKEY* ownPrivateKey, EVP_PKEY* peerPublicKey,
                                                           const QByteArray& sessionTranscriptBytes) {
    const QByteArray shared = MdlCrypto::Ecdh(ownPrivateKey, peerPublicKey);
    if (shared.isEmpty())
        return std::nullopt;
    const QByteArray salt = MdlCrypto::Sha256(sessionTranscriptBytes);
    QByteArray skReader = MdlCrypto::HkdfSha256(shared, salt, QByteArrayLiteral("SKReader"), 32);
    QByteArray skDevice = MdlCrypto::HkdfSha256(shared, salt, QByteArrayLiteral("SKDevice"), 32);
    if (skReader.isEmpty() || skDevice.isEmpty())
        return std::nullopt;
    return SessionEncryption(role, std::move(skReader), std::move(skDevice));
}

QByteArray SessionEncryption::Iv(bool fromHolder, quint32 counter) {
    QByteArray iv(12, '\0');
    iv[7] = fromHolder ? '\x01' : '\x00';
    for (int i = 0; i < 4; ++i)
        iv[8 + i] = static_cast<char>((counter >> (8 * (3 - i))) & 0xff);
    return iv;
}

QByteArray SessionEncryption::Encrypt(const QByteArray& plain) {
    const bool holder = m_role == Role::Holder;
    const QByteArray out = MdlCrypto::AesGcmEncrypt(holder ? m_skDevice : m_skReader, Iv(holder, m_sendCounter), plain);
    ++m_sendCounter;
    return out;
}

std::optional<QByteArray> SessionEncryption::Decrypt(const QByteArray& cipherAndTag) {
    const bool fromHolder = m_role == Role::Reader;
    auto plain =
        MdlCrypto::AesGcmDecrypt(fromHolder ? m_skDevice : m_skReader, Iv(fromHolder, m_receiveCounter), cipherAndTag);
    if (plain)
        ++m_receiveCounter;
    return plain;
}

} // namespace Mdl
