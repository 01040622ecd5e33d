#include "MdlCrypto.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/ecdsa.h>
#include <openssl/pem.h>

namespace Mdl {

namespace {

const unsigned char* Bytes(const QByteArray& data) {
    return reinterpret_cast<const unsigned char*>(data.constData());
}

unsigned char* Bytes(QByteArray& data) {
    return reinterpret_cast<unsigned char*>(data.data());
}

const char* CurveName(int curveNid) {
    switch (curveNid) {
    case NID_X9_62_prime256v1:
        return "prime256v1";
    case NID_secp384r1:
        return "secp384r1";
    case NID_secp521r1:
        return "secp521r1";
    default:
        return nullptr;
    }
}

// An EC key from its encoded public point and, for a private key, its scalar.
PkeyPtr KeyFromData(int curveNid, const QByteArray& point, const BIGNUM* privateScalar) {
    const char* name = CurveName(curveNid);
    if (!name)
        return {};
    OsslParamBldPtr build(OSSL_PARAM_BLD_new());
    if (!build || !OSSL_PARAM_BLD_push_utf8_string(build.get(), OSSL_PKEY_PARAM_GROUP_NAME, name, 0) ||
        !OSSL_PARAM_BLD_push_octet_string(build.get(), OSSL_PKEY_PARAM_PUB_KEY, point.constData(),
                                          static_cast<size_t>(point.size())))
        return {};
    if (privateScalar && !OSSL_PARAM_BLD_push_BN(build.get(), OSSL_PKEY_PARAM_PRIV_KEY, privateScalar))
        return {};
    OsslParamPtr params(OSSL_PARAM_BLD_to_param(build.get()));
    PkeyCtxPtr context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1)
        return {};
    EVP_PKEY* key = nullptr;
    const int selection = privateScalar ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY;
    if (EVP_PKEY_fromdata(context.get(), &key, selection, params.get()) != 1)
        return {};
    return PkeyPtr(key);
}

BignumPtr ToBignum(const QByteArray& data) {
    return BignumPtr(BN_bin2bn(Bytes(data), static_cast<int>(data.size()), nullptr));
}

QByteArray FromBignum(const BIGNUM* n, int size) {
    QByteArray out(size, '\0');
    if (BN_bn2binpad(n, Bytes(out), size) != size)
        return {};
    return out;
}

} // namespace

QByteArray MdlCrypto::Sha256(const QByteArray& data) {
    return Digest(EVP_sha256(), data);
}

QByteArray MdlCrypto::Digest(const EVP_MD* md, const QByteArray& data) {
    QByteArray out(EVP_MAX_MD_SIZE, '\0');
    unsigned int length = 0;
    if (EVP_Digest(data.constData(), static_cast<size_t>(data.size()), Bytes(out), &length, md, nullptr) != 1)
        return {};
    out.truncate(static_cast<qsizetype>(length));
    return out;
}

QByteArray MdlCrypto::HkdfSha256(const QByteArray& ikm, const QByteArray& salt, const QByteArray& info, int length) {
    KdfPtr kdf(EVP_KDF_fetch(nullptr, "HKDF", nullptr));
    KdfCtxPtr context(kdf ? EVP_KDF_CTX_new(kdf.get()) : nullptr);
    if (!context)
        return {};
    QByteArray ikmCopy = ikm, saltCopy = salt, infoCopy = info;
    char digest[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, ikmCopy.data(), static_cast<size_t>(ikmCopy.size())),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, saltCopy.data(), static_cast<size_t>(saltCopy.size())),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, infoCopy.data(), static_cast<size_t>(infoCopy.size())),
        OSSL_PARAM_construct_end()};
    QByteArray out(length, '\0');
    if (EVP_KDF_derive(context.get(), Bytes(out), static_cast<size_t>(length), params) != 1)
        return {};
    return out;
}

QByteArray MdlCrypto::HmacSha256(const QByteArray& key, const QByteArray& data) {
    QByteArray out(EVP_MAX_MD_SIZE, '\0');
    unsigned int length = 0;
    if (!HMAC(EVP_sha256(), key.constData(), static_cast<int>(key.size()), Bytes(data),
              static_cast<size_t>(data.size()), Bytes(out), &length))
        return {};
    out.truncate(static_cast<qsizetype>(length));
    return out;
}

QByteArray MdlCrypto::Ecdh(EVP_PKEY* privateKey, EVP_PKEY* peerPublicKey) {
    if (!privateKey || !peerPublicKey)
        return {};
    PkeyCtxPtr context(EVP_PKEY_CTX_new(privateKey, nullptr));
    size_t length = 0;
    if (!context || EVP_PKEY_derive_init(context.get()) != 1 ||
        EVP_PKEY_derive_set_peer(context.get(), peerPublicKey) != 1 ||
        EVP_PKEY_derive(context.get(), nullptr, &length) != 1)
        return {};
    QByteArray secret(static_cast<qsizetype>(length), '\0');
    if (EVP_PKEY_derive(context.get(), Bytes(secret), &length) != 1)
        return {};
    secret.truncate(static_cast<qsizetype>(length));
    return secret;
}

QByteArray MdlCrypto::AesGcmEncrypt(const QByteArray& key, const QByteArray& iv, const QByteArray& plain) {
    CipherCtxPtr context(EVP_CIPHER_CTX_new());
    if (!context || key.size() != 32 || iv.size() != 12 ||
        EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, Bytes(key), Bytes(iv)) != 1)
        return {};
    QByteArray out(plain.size() + 16, '\0');
    int length = 0, finalLength = 0;
    if (EVP_EncryptUpdate(context.get(), Bytes(out), &length, Bytes(plain), static_cast<int>(plain.size())) != 1 ||
        EVP_EncryptFinal_ex(context.get(), Bytes(out) + length, &finalLength) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, 16, Bytes(out) + length + finalLength) != 1)
        return {};
    return out;
}

std::optional<QByteArray> MdlCrypto::AesGcmDecrypt(const QByteArray& key, const QByteArray& iv,
                                                   const QByteArray& cipherAndTag) {
    if (key.size() != 32 || iv.size() != 12 || cipherAndTag.size() < 16)
        return std::nullopt;
    CipherCtxPtr context(EVP_CIPHER_CTX_new());
    if (!context || EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, Bytes(key), Bytes(iv)) != 1)
        return std::nullopt;
    const qsizetype cipherLength = cipherAndTag.size() - 16;
    QByteArray tag = cipherAndTag.right(16);
    QByteArray out(cipherLength + 16, '\0');
    int length = 0, finalLength = 0;
    if (EVP_DecryptUpdate(context.get(), Bytes(out), &length, Bytes(cipherAndTag), static_cast<int>(cipherLength)) !=
            1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, 16, Bytes(tag)) != 1 ||
        EVP_DecryptFinal_ex(context.get(), Bytes(out) + length, &finalLength) != 1)
        return std::nullopt;
    out.truncate(length + finalLength);
    return out;
}

PkeyPtr MdlCrypto::EcPublicKey(int curveNid, const QByteArray& x, const QByteArray& y) {
    const int size = CoordinateSize(curveNid);
    if (size == 0 || x.size() != size || y.size() != size)
        return {};
    return KeyFromData(curveNid, QByteArray(1, '\x04') + x + y, nullptr);
}

PkeyPtr MdlCrypto::EcPrivateKey(int curveNid, const QByteArray& d) {
    EcGroupPtr group(EC_GROUP_new_by_curve_name(curveNid));
    BignumPtr scalar = ToBignum(d);
    BnCtxPtr bnContext(BN_CTX_new());
    if (!group || !scalar || !bnContext || BN_is_zero(scalar.get()) ||
        BN_cmp(scalar.get(), EC_GROUP_get0_order(group.get())) >= 0)
        return {};
    EcPointPtr point(EC_POINT_new(group.get()));
    if (!point || EC_POINT_mul(group.get(), point.get(), scalar.get(), nullptr, nullptr, bnContext.get()) != 1)
        return {};
    const size_t length =
        EC_POINT_point2oct(group.get(), point.get(), POINT_CONVERSION_UNCOMPRESSED, nullptr, 0, bnContext.get());
    QByteArray encoded(static_cast<qsizetype>(length), '\0');
    if (length == 0 || EC_POINT_point2oct(group.get(), point.get(), POINT_CONVERSION_UNCOMPRESSED, Bytes(encoded),
                                          length, bnContext.get()) != length)
        return {};
    return KeyFromData(curveNid, encoded, scalar.get());
}

PkeyPtr MdlCrypto::PrivateKeyFromPem(const QByteArray& pem) {
    BioPtr bio(BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size())));
    if (!bio)
        return {};
    return PkeyPtr(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
}

PkeyPtr MdlCrypto::GenerateEcKey(int curveNid) {
    const char* name = CurveName(curveNid);
    if (!name)
        return {};
    return PkeyPtr(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", name));
}

int MdlCrypto::CurveNid(EVP_PKEY* key) {
    char name[64] = {};
    size_t length = 0;
    if (!key || EVP_PKEY_get_utf8_string_param(key, OSSL_PKEY_PARAM_GROUP_NAME, name, sizeof name, &length) != 1)
        return NID_undef;
    const int nid = OBJ_txt2nid(name);
    return nid != NID_undef ? nid : EC_curve_nist2nid(name);
}

int MdlCrypto::CoordinateSize(int curveNid) {
    switch (curveNid) {
    case NID_X9_62_prime256v1:
        return 32;
    case NID_secp384r1:
        return 48;
    case NID_secp521r1:
        return 66;
    default:
        return 0;
    }
}

std::pair<QByteArray, QByteArray> MdlCrypto::PublicCoordinates(EVP_PKEY* key) {
    const int size = CoordinateSize(CurveNid(key));
    BIGNUM* x = nullptr;
    BIGNUM* y = nullptr;
    if (size == 0 || EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_EC_PUB_X, &x) != 1)
        return {};
    BignumPtr ownX(x);
    if (EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_EC_PUB_Y, &y) != 1)
        return {};
    BignumPtr ownY(y);
    return {FromBignum(x, size), FromBignum(y, size)};
}

bool MdlCrypto::VerifyRaw(EVP_PKEY* publicKey, const EVP_MD* md, const QByteArray& data, const QByteArray& rs) {
    const int size = CoordinateSize(CurveNid(publicKey));
    if (size == 0 || rs.size() != 2 * size)
        return false;
    EcdsaSigPtr signature(ECDSA_SIG_new());
    BignumPtr r = ToBignum(rs.left(size));
    BignumPtr s = ToBignum(rs.mid(size));
    if (!signature || !r || !s || ECDSA_SIG_set0(signature.get(), r.get(), s.get()) != 1)
        return false;
    r.release(); // now owned by the signature
    s.release();
    unsigned char* der = nullptr;
    const int derLength = i2d_ECDSA_SIG(signature.get(), &der);
    if (derLength <= 0)
        return false;
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> ownDer(der,
                                                                          [](unsigned char* p) { OPENSSL_free(p); });
    MdCtxPtr context(EVP_MD_CTX_new());
    return context && EVP_DigestVerifyInit(context.get(), nullptr, md, nullptr, publicKey) == 1 &&
           EVP_DigestVerify(context.get(), der, static_cast<size_t>(derLength), Bytes(data),
                            static_cast<size_t>(data.size())) == 1;
}

QByteArray MdlCrypto::SignRaw(EVP_PKEY* privateKey, const EVP_MD* md, const QByteArray& data) {
    const int size = CoordinateSize(CurveNid(privateKey));
    MdCtxPtr context(EVP_MD_CTX_new());
    size_t length = 0;
    if (size == 0 || !context || EVP_DigestSignInit(context.get(), nullptr, md, nullptr, privateKey) != 1 ||
        EVP_DigestSign(context.get(), nullptr, &length, Bytes(data), static_cast<size_t>(data.size())) != 1)
        return {};
    QByteArray der(static_cast<qsizetype>(length), '\0');
    if (EVP_DigestSign(context.get(), Bytes(der), &length, Bytes(data), static_cast<size_t>(data.size())) != 1)
        return {};
    const unsigned char* cursor = Bytes(der);
    EcdsaSigPtr signature(d2i_ECDSA_SIG(nullptr, &cursor, static_cast<long>(length)));
    if (!signature)
        return {};
    return FromBignum(ECDSA_SIG_get0_r(signature.get()), size) + FromBignum(ECDSA_SIG_get0_s(signature.get()), size);
}

bool MdlCrypto::ConstantTimeEqual(const QByteArray& a, const QByteArray& b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.constData(), b.constData(), static_cast<size_t>(a.size())) == 0;
}

} // namespace Mdl
