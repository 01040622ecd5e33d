#pragma once
// A session as recorded on the wire, checked after the fact: the engagement, the station's ephemeral
// private key, the SessionEstablishment and the holder's SessionData. The transcript is the QR one
// unless the caller hands over the transcript bytes of another engagement (NFC). Decrypts the request
// and the response and runs every check of MdocVerifier on the response.

#include "MdocVerifier.h"

#include <optional>

namespace Mdl {

struct RecordedSessionInput {
    QByteArray engagement;
    EVP_PKEY* readerPrivateKey = nullptr;
    QByteArray establishment;
    QByteArray sessionData;
    std::optional<QByteArray> sessionTranscript; // #6.24 or bare array
    const TrustStore* trust = nullptr;
    std::time_t now = 0;
};

class RecordedSession {
public:
    static VerificationResult Verify(const RecordedSessionInput& input);
    // The docType of the first docRequest of a DeviceRequest; empty when there is none.
    static QString RequestedDocType(const QByteArray& deviceRequest);
};

} // namespace Mdl
