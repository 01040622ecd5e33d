#pragma once
// The station's side of one mobile-licence session, without any transport:
//   engagement + ephemeral key -> transcript, SKReader/SKDevice -> SessionEstablishment (encrypted request)
//   SessionData from the holder -> decrypt -> MdocVerifier -> MdlOutcome -> SessionData {status: 20}
// A wallet that answers without any age_over_NN that settles the valid age is asked once more, in the
// same session, for birth_date. Status 10 (decryption) or 11 (CBOR) ends a session that went wrong.

#include "DeviceEngagement.h"
#include "MdlOutcome.h"
#include "OpenSslHandles.h"
#include "SessionEncryption.h"
#include "TrustStore.h"

#include <QByteArray>

#include <ctime>
#include <optional>

namespace Mdl {

struct ReaderStep {
    QByteArray send;                   // the next message for the holder, if any
    std::optional<MdlOutcome> outcome; // set when the session is over
};

class ReaderSession {
public:
    struct Settings {
        const TrustStore* trust = nullptr;
        int validAge = 21;
        std::time_t now = 0; // UTC, for certificates and the MSO window
        QDate today;         // local, for an age from birth_date
    };

    // Empty optional when the engagement's key and ours do not agree on a session key.
    static std::optional<ReaderSession> Start(const DeviceEngagement& engagement, PkeyPtr readerKey,
                                              const Settings& settings);

    QByteArray Establishment();
    ReaderStep OnMessage(const QByteArray& sessionData);
    const QByteArray& TranscriptBytes() const { return m_transcript; }

    static QByteArray StatusMessage(int status);
    static constexpr int kStatusDecryptionError = 10;
    static constexpr int kStatusCborError = 11;
    static constexpr int kStatusTermination = 20;

private:
    ReaderSession(PkeyPtr readerKey, QByteArray eReaderKeyBytes, QByteArray transcript, SessionEncryption encryption,
                  const Settings& settings);
    ReaderStep Finish(int status, MdlOutcome outcome);
    QByteArray EncryptedData(const QByteArray& plain);

    PkeyPtr m_readerKey;
    QByteArray m_eReaderKeyBytes;
    QByteArray m_transcript;
    SessionEncryption m_encryption;
    Settings m_settings;
    bool m_askedForBirthDate = false;
};

} // namespace Mdl
