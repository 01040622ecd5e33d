#include "RecordedSession.h"

#include "CborRaw.h"
#include "CoseKey.h"
#include "DeviceEngagement.h"
#include "SessionEncryption.h"
#include "SessionTranscript.h"

#include <QCborMap>

namespace Mdl {

namespace {

VerificationResult Failed(Failure failure, const QString& reason) {
    VerificationResult result;
    result.Fail(failure, reason);
    return result;
}

std::optional<QByteArray> ByteField(const QByteArray& map, const char* key) {
    const auto item = CborRaw::MapValue(map, QCborValue(QString::fromLatin1(key)));
    return item ? CborRaw::ByteString(*item) : std::nullopt;
}

} // namespace

QString RecordedSession::RequestedDocType(const QByteArray& deviceRequest) {
    const auto requests = CborRaw::MapValue(deviceRequest, QCborValue(QStringLiteral("docRequests")));
    const auto list = requests ? CborRaw::Children(*requests) : std::nullopt;
    if (!list || list->isEmpty())
        return {};
    const auto itemsRequest = CborRaw::MapValue(list->first(), QCborValue(QStringLiteral("itemsRequest")));
    const auto embedded = itemsRequest ? CborRaw::EmbeddedCbor(*itemsRequest) : std::nullopt;
    if (!embedded)
        return {};
    return CborRaw::Value(*embedded).toMap().value(QStringLiteral("docType")).toString();
}

VerificationResult RecordedSession::Verify(const RecordedSessionInput& input) {
    const auto engagement = DeviceEngagement::Parse(input.engagement);
    const auto eReaderKeyBytes = CborRaw::MapValue(input.establishment, QCborValue(QStringLiteral("eReaderKey")));
    const auto requestCipher = ByteField(input.establishment, "data");
    const auto responseCipher = ByteField(input.sessionData, "data");
    const auto transcript = input.sessionTranscript ? SessionTranscript::Normalise(*input.sessionTranscript)
                                                    : std::optional<QByteArray>(SessionTranscript::ForQrEngagement(
                                                          input.engagement, eReaderKeyBytes.value_or(QByteArray())));
    if (!engagement || !eReaderKeyBytes || !requestCipher || !responseCipher || !transcript || !input.readerPrivateKey)
        return Failed(Failure::Malformed, QStringLiteral("The recorded session cannot be read."));

    const auto deviceKeyCbor = CborRaw::EmbeddedCbor(engagement->EDeviceKeyBytes());
    PkeyPtr deviceKey = CoseKey::ToPublicKey(CborRaw::Value(deviceKeyCbor.value_or(QByteArray())));
    auto reader = SessionEncryption::Derive(SessionEncryption::Role::Reader, input.readerPrivateKey, deviceKey.get(),
                                            *transcript);
    if (!reader)
        return Failed(Failure::SessionDecrypt, QStringLiteral("No session key from these keys."));
    // The request was encrypted with SKReader; a holder-side view of the same keys opens it.
    SessionEncryption holderView(SessionEncryption::Role::Holder, reader->SkReader(), reader->SkDevice());
    const auto request = holderView.Decrypt(*requestCipher);
    if (!request)
        return Failed(Failure::SessionDecrypt, QStringLiteral("The request does not decrypt."));
    const auto response = reader->Decrypt(*responseCipher);
    if (!response)
        return Failed(Failure::SessionDecrypt, QStringLiteral("The response does not decrypt."));

    VerifierInput verifier;
    verifier.sessionTranscriptBytes = *transcript;
    verifier.readerPrivateKey = input.readerPrivateKey;
    verifier.requestedDocType = RequestedDocType(*request);
    verifier.trust = input.trust;
    verifier.now = input.now;
    if (verifier.requestedDocType.isEmpty())
        return Failed(Failure::Malformed, QStringLiteral("The request names no document type."));
    return MdocVerifier::Verify(*response, verifier);
}

} // namespace Mdl
