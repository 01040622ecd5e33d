#pragma once
// The few cryptographic operations a mobile-licence session needs, over OpenSSL 3: hashes, HKDF,
// ECDH, AES-256-GCM, HMAC and ECDSA with COSE's raw r||s signatures. Keys are EC keys on P-256, P-384
// or P-521 in owned handles; every function reports failure by an empty result rather than throwing.

#include "OpenSslHandles.h"

#include <QByteArray>

#include <optional>
#include <utility>

namespace Mdl {

class MdlCrypto {
public:
    static QByteArray Sha256(const QByteArray& data);
    static QByteArray Digest(const EVP_MD* md, const QByteArray& data);
    static QByteArray HkdfSha256(const QByteArray& ikm, const QByteArray& salt, const QByteArray& info, int length);
    static QByteArray HmacSha256(const QByteArray& key, const QByteArray& data);
    // The shared secret's x coordinate; empty when the keys do not fit together.
    static QByteArray Ecdh(EVP_PKEY* privateKey, EVP_PKEY* peerPublicKey);

    // ciphertext || 16-byte tag, no additional data.
    static QByteArray AesGcmEncrypt(const QByteArray& key, const QByteArray& iv, const QByteArray& plain);
    static std::optional<QByteArray> AesGcmDecrypt(const QByteArray& key, const QByteArray& iv,
                                                   const QByteArray& cipherAndTag);

    // curveNid: NID_X9_62_prime256v1, NID_secp384r1 or NID_secp521r1.
    static PkeyPtr EcPublicKey(int curveNid, const QByteArray& x, const QByteArray& y);
    static PkeyPtr EcPrivateKey(int curveNid, const QByteArray& d);
    static PkeyPtr PrivateKeyFromPem(const QByteArray& pem);
    static PkeyPtr GenerateEcKey(int curveNid);
    // Affine coordinates padded to the curve's size; empty for a key that is not EC.
    static std::pair<QByteArray, QByteArray> PublicCoordinates(EVP_PKEY* key);
    static int CurveNid(EVP_PKEY* key);
    static int CoordinateSize(int curveNid);

    // ECDSA with raw r||s as COSE carries it (RFC 9053); the digest is the algorithm's.
    static bool VerifyRaw(EVP_PKEY* publicKey, const EVP_MD* md, const QByteArray& data, const QByteArray& rs);
    static QByteArray SignRaw(EVP_PKEY* privateKey, const EVP_MD* md, const QByteArray& data);

    static bool ConstantTimeEqual(const QByteArray& a, const QByteArray& b);
};

} // namespace Mdl
