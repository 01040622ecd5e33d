#pragma once
// COSE_Key (RFC 9052 section 7, EC2 keys only) to and from OpenSSL keys: the holder's ephemeral and
// static keys arrive as COSE_Key maps, the station's ephemeral key leaves as one.

#include "OpenSslHandles.h"

#include <QByteArray>
#include <QCborValue>

namespace Mdl {

class CoseKey {
public:
    // An EC2 public key on P-256, P-384 or P-521; empty for anything else.
    static PkeyPtr ToPublicKey(const QCborValue& coseKey);
    // {1: 2, -1: crv, -2: x, -3: y}, encoded in the order the standard's examples use.
    static QByteArray Encode(EVP_PKEY* key);
};

} // namespace Mdl
