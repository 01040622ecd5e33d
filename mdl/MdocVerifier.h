#pragma once
// Runs the checks on a decrypted DeviceResponse, in this order: the document of the requested docType,
// the issuer's COSE_Sign1 over the MSO with the Document Signer certificate of its x5chain, that
// certificate's chain to a trusted IACA root at the station's time and its Document Signer usage,
// each disclosed item's digest over its bytes as received, the docTypes, the MSO's validity window, and
// device authentication (deviceMac or deviceSignature) over this session's transcript. Every check runs
// even after one fails, so a result names all that is wrong; only a response that cannot be read stops.

#include "OpenSslHandles.h"
#include "TrustStore.h"
#include "VerificationResult.h"

#include <QByteArray>
#include <QString>

#include <ctime>

namespace Mdl {

struct VerifierInput {
    QByteArray sessionTranscriptBytes;    // #6.24 form
    EVP_PKEY* readerPrivateKey = nullptr; // EReaderKey, for the deviceMac key
    QString requestedDocType = QStringLiteral("org.iso.18013.5.1.mDL");
    const TrustStore* trust = nullptr;
    std::time_t now = 0;
};

class MdocVerifier {
public:
    static VerificationResult Verify(const QByteArray& deviceResponse, const VerifierInput& input);
};

} // namespace Mdl
