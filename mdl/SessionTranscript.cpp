#include "SessionTranscript.h"

#include "CborRaw.h"

#include <QCborStreamReader>

namespace Mdl {

QByteArray SessionTranscript::ForQrEngagement(const QByteArray& engagementBytes, const QByteArray& eReaderKeyBytes) {
    const QByteArray transcript =
        CborRaw::Head(4, 3) + CborRaw::Tag24(engagementBytes) + eReaderKeyBytes + QByteArray(1, '\xf6');
    return CborRaw::Tag24(transcript);
}

std::optional<QByteArray> SessionTranscript::Inner(const QByteArray& sessionTranscriptBytes) {
    const auto inner = CborRaw::EmbeddedCbor(sessionTranscriptBytes);
    if (!inner || !QCborStreamReader(*inner).isArray())
        return std::nullopt;
    const auto parts = CborRaw::Children(*inner);
    if (!parts || parts->size() != 3)
        return std::nullopt;
    return inner;
}

std::optional<QByteArray> SessionTranscript::Normalise(const QByteArray& given) {
    if (Inner(given))
        return given;
    const auto parts = CborRaw::Children(given);
    if (!parts || parts->size() != 3 || !QCborStreamReader(given).isArray())
        return std::nullopt;
    return CborRaw::Tag24(given);
}

} // namespace Mdl
