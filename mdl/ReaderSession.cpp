#include "ReaderSession.h"

#include "CborRaw.h"
#include "CoseKey.h"
#include "DeviceRequest.h"
#include "MdocVerifier.h"
#include "SessionTranscript.h"

#include <utility>

namespace Mdl {

ReaderSession::ReaderSession(PkeyPtr readerKey, QByteArray eReaderKeyBytes, QByteArray transcript,
                             SessionEncryption encryption, const Settings& settings)
    : m_readerKey(std::move(readerKey)), m_eReaderKeyBytes(std::move(eReaderKeyBytes)),
      m_transcript(std::move(transcript)), m_encryption(std::move(encryption)), m_settings(settings) {}

std::optional<ReaderSession> ReaderSession::Start(const DeviceEngagement& engagement, PkeyPtr readerKey,
                                                  const Settings& settings) {
    const auto deviceKeyCbor = CborRaw::EmbeddedCbor(engagement.EDeviceKeyBytes());
    PkeyPtr deviceKey = CoseKey::ToPublicKey(CborRaw::Value(deviceKeyCbor.value_or(QByteArray())));
    const QByteArray coseKey = CoseKey::Encode(readerKey.get());
    if (!deviceKey || coseKey.isEmpty())
        return std::nullopt;
    QByteArray eReaderKeyBytes = CborRaw::Tag24(coseKey);
    QByteArray transcript = SessionTranscript::ForQrEngagement(engagement.Bytes(), eReaderKeyBytes);
    auto encryption =
        SessionEncryption::Derive(SessionEncryption::Role::Reader, readerKey.get(), deviceKey.get(), transcript);
    if (!encryption)
        return std::nullopt;
    return ReaderSession(std::move(readerKey), std::move(eReaderKeyBytes), std::move(transcript),
                         std::move(*encryption), settings);
}

QByteArray ReaderSession::Establishment() {
    const QByteArray request = DeviceRequest::Encode(DeviceRequest::AgeElements(m_settings.validAge));
    return CborRaw::Head(5, 2) + CborRaw::TextItem("eReaderKey") + m_eReaderKeyBytes + CborRaw::TextItem("data") +
           CborRaw::ByteStringItem(m_encryption.Encrypt(request));
}

QByteArray ReaderSession::EncryptedData(const QByteArray& plain) {
    return CborRaw::Head(5, 1) + CborRaw::TextItem("data") + CborRaw::ByteStringItem(m_encryption.Encrypt(plain));
}

QByteArray ReaderSession::StatusMessage(int status) {
    return CborRaw::Head(5, 1) + CborRaw::TextItem("status") + CborRaw::Head(0, static_cast<quint64>(status));
}

ReaderStep ReaderSession::Finish(int status, MdlOutcome outcome) {
    ReaderStep step;
    step.send = StatusMessage(status);
    step.outcome = std::move(outcome);
    return step;
}

ReaderStep ReaderSession::OnMessage(const QByteArray& sessionData) {
    const auto dataItem = CborRaw::MapValue(sessionData, QCborValue(QStringLiteral("data")));
    const auto cipher = dataItem ? CborRaw::ByteString(*dataItem) : std::nullopt;
    if (!cipher) {
        const auto status = CborRaw::MapValue(sessionData, QCborValue(QStringLiteral("status")));
        if (status) {
            ReaderStep ended;
            ended.outcome = MdlOutcome::SessionFailure(QStringLiteral("The phone ended the session."));
            return ended;
        }
        VerificationResult malformed;
        malformed.Fail(Failure::Malformed, QStringLiteral("The phone's message cannot be read."));
        return Finish(kStatusCborError, MdlOutcome::From(std::move(malformed), m_settings.validAge, m_settings.today));
    }
    const auto response = m_encryption.Decrypt(*cipher);
    if (!response) {
        VerificationResult failed;
        failed.Fail(Failure::SessionDecrypt, QStringLiteral("The phone's answer does not decrypt."));
        return Finish(kStatusDecryptionError,
                      MdlOutcome::From(std::move(failed), m_settings.validAge, m_settings.today));
    }
    VerifierInput input;
    input.sessionTranscriptBytes = m_transcript;
    input.readerPrivateKey = m_readerKey.get();
    input.trust = m_settings.trust;
    input.now = m_settings.now;
    MdlOutcome outcome =
        MdlOutcome::From(MdocVerifier::Verify(*response, input), m_settings.validAge, m_settings.today);
    if (outcome.Verified() && outcome.age == MdlOutcome::Age::Unknown && !m_askedForBirthDate) {
        m_askedForBirthDate = true;
        ReaderStep again;
        again.send = EncryptedData(DeviceRequest::Encode(DeviceRequest::BirthDateElements()));
        return again;
    }
    return Finish(kStatusTermination, std::move(outcome));
}

} // namespace Mdl
