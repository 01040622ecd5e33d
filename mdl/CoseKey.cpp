#include "CoseKey.h"

#include "CborRaw.h"
#include "MdlCrypto.h"

#include <QCborMap>

namespace Mdl {

namespace {

int CurveFromCose(qint64 crv) {
    switch (crv) {
    case 1:
        return NID_X9_62_prime256v1;
    case 2:
        return NID_secp384r1;
    case 3:
        return NID_secp521r1;
    default:
        return NID_undef;
    }
}

int CoseFromCurve(int nid) {
    switch (nid) {
    case NID_X9_62_prime256v1:
        return 1;
    case NID_secp384r1:
        return 2;
    case NID_secp521r1:
        return 3;
    default:
        return 0;
    }
}

} // namespace

PkeyPtr CoseKey::ToPublicKey(const QCborValue& coseKey) {
    if (!coseKey.isMap())
        return {};
    const QCborMap map = coseKey.toMap();
    if (map.value(1).toInteger(-1) != 2)
        return {};
    const QCborValue x = map.value(-2);
    const QCborValue y = map.value(-3);
    const int nid = CurveFromCose(map.value(-1).toInteger(-1));
    if (nid == NID_undef || !x.isByteArray() || !y.isByteArray())
        return {};
    return MdlCrypto::EcPublicKey(nid, x.toByteArray(), y.toByteArray());
}

QByteArray CoseKey::Encode(EVP_PKEY* key) {
    const int crv = CoseFromCurve(MdlCrypto::CurveNid(key));
    const auto [x, y] = MdlCrypto::PublicCoordinates(key);
    if (crv == 0 || x.isEmpty())
        return {};
    // a4 01 02 20 crv 21 x 22 y
    return CborRaw::Head(5, 4) + CborRaw::Head(0, 1) + CborRaw::Head(0, 2) + CborRaw::Head(1, 0) +
           CborRaw::Head(0, static_cast<quint64>(crv)) + CborRaw::Head(1, 1) + CborRaw::ByteStringItem(x) +
           CborRaw::Head(1, 2) + CborRaw::ByteStringItem(y);
}

} // namespace Mdl
