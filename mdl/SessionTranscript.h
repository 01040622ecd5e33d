#pragma once
// SessionTranscriptBytes = #6.24(bstr .cbor [DeviceEngagementBytes, EReaderKeyBytes, Handover]), put
// together from the engagement and key bytes exactly as they were exchanged. A QR engagement has a
// null Handover; an NFC one carries its handover messages, which a recorded session supplies whole.

#include <QByteArray>

#include <optional>

namespace Mdl {

class SessionTranscript {
public:
    // The QR form: engagement bytes as scanned, EReaderKeyBytes as sent (a #6.24 item), null handover.
    static QByteArray ForQrEngagement(const QByteArray& engagementBytes, const QByteArray& eReaderKeyBytes);
    // The transcript array inside SessionTranscriptBytes (what DeviceAuthentication embeds).
    static std::optional<QByteArray> Inner(const QByteArray& sessionTranscriptBytes);
    // Accepts a transcript given as #6.24(bstr) or as the bare array; returns the #6.24 form.
    static std::optional<QByteArray> Normalise(const QByteArray& given);
};

} // namespace Mdl
