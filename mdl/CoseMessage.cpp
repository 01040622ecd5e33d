#include "CoseMessage.h"

#include "CborRaw.h"

#include <QCborArray>
#include <QCborStreamReader>

namespace Mdl {

namespace {

// The item without a leading COSE tag.
QByteArray Untagged(const QByteArray& item) {
    QCborStreamReader reader(item);
    if (!reader.isTag())
        return item;
    const quint64 tag = static_cast<quint64>(reader.toTag());
    if ((tag != 17 && tag != 18) || !reader.next())
        return {};
    return item.mid(reader.currentOffset());
}

void AppendChain(const QCborValue& value, QList<QByteArray>& chain) {
    if (value.isByteArray()) {
        chain.append(value.toByteArray());
        return;
    }
    for (const QCborValue& certificate : value.toArray()) {
        if (certificate.isByteArray())
            chain.append(certificate.toByteArray());
    }
}

} // namespace

std::optional<CoseMessage> CoseMessage::Parse(const QByteArray& item) {
    const QByteArray untagged = Untagged(item);
    if (untagged.isEmpty() || !QCborStreamReader(untagged).isArray())
        return std::nullopt;
    const auto parts = CborRaw::Children(untagged);
    if (!parts || parts->size() != 4)
        return std::nullopt;
    CoseMessage message;
    const auto protectedBytes = CborRaw::ByteString(parts->at(0));
    const QCborValue unprotected = CborRaw::Value(parts->at(1));
    const auto tag = CborRaw::ByteString(parts->at(3));
    if (!protectedBytes || !unprotected.isMap() || !tag)
        return std::nullopt;
    message.m_protected = *protectedBytes;
    if (!message.m_protected.isEmpty()) {
        const QCborValue header = CborRaw::Value(message.m_protected);
        if (!header.isMap())
            return std::nullopt;
        message.m_protectedMap = header.toMap();
    }
    message.m_unprotected = unprotected.toMap();
    if (CborRaw::Value(parts->at(2)).isNull())
        message.m_payload = std::nullopt;
    else if (const auto payload = CborRaw::ByteString(parts->at(2)))
        message.m_payload = *payload;
    else
        return std::nullopt;
    message.m_tag = *tag;
    return message;
}

QByteArray CoseMessage::ToBeSigned(const char* context, const QByteArray& payload) const {
    return CborRaw::Head(4, 4) + CborRaw::TextItem(QByteArray(context)) + CborRaw::ByteStringItem(m_protected) +
           CborRaw::ByteStringItem(QByteArray()) + CborRaw::ByteStringItem(payload);
}

QByteArray CoseMessage::SignatureStructure(const QByteArray& payload) const {
    return ToBeSigned("Signature1", payload);
}

QByteArray CoseMessage::MacStructure(const QByteArray& payload) const {
    return ToBeSigned("MAC0", payload);
}

std::optional<qint64> CoseMessage::Algorithm() const {
    const QCborValue alg = m_protectedMap.value(1);
    if (!alg.isInteger())
        return std::nullopt;
    return alg.toInteger();
}

QList<QByteArray> CoseMessage::CertificateChain() const {
    QList<QByteArray> chain;
    AppendChain(m_protectedMap.value(33), chain);
    if (chain.isEmpty())
        AppendChain(m_unprotected.value(33), chain);
    return chain;
}

QByteArray CoseMessage::Encode(const QByteArray& protectedBytes, const QByteArray& unprotectedItem,
                               const std::optional<QByteArray>& payload, const QByteArray& tag) {
    return CborRaw::Head(4, 4) + CborRaw::ByteStringItem(protectedBytes) + unprotectedItem +
           (payload ? CborRaw::ByteStringItem(*payload) : QByteArray(1, '\xf6')) + CborRaw::ByteStringItem(tag);
}

} // namespace Mdl
