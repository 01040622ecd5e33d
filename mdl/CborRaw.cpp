#include "CborRaw.h"

#include <QCborStreamReader>

namespace Mdl {

namespace {

// Skips the current item with its tags; false on malformed input.
bool SkipItem(QCborStreamReader& reader) {
    while (reader.isTag()) {
        if (!reader.next())
            return false;
    }
    if (!reader.isValid())
        return false;
    return reader.next() && reader.lastError() == QCborError::NoError;
}

} // namespace

std::optional<QList<QByteArray>> CborRaw::Children(const QByteArray& item) {
    QCborStreamReader reader(item);
    if (!(reader.isArray() || reader.isMap()) || !reader.enterContainer())
        return std::nullopt;
    QList<QByteArray> children;
    while (reader.lastError() == QCborError::NoError && reader.hasNext()) {
        const qint64 start = reader.currentOffset();
        if (!SkipItem(reader))
            return std::nullopt;
        children.append(item.mid(start, reader.currentOffset() - start));
    }
    if (reader.lastError() != QCborError::NoError || !reader.leaveContainer() || reader.currentOffset() != item.size())
        return std::nullopt;
    return children;
}

std::optional<QByteArray> CborRaw::MapValue(const QByteArray& item, const QCborValue& key) {
    if (!QCborStreamReader(item).isMap())
        return std::nullopt;
    const auto children = Children(item);
    if (!children)
        return std::nullopt;
    for (qsizetype i = 0; i + 1 < children->size(); i += 2) {
        if (Value(children->at(i)) == key)
            return children->at(i + 1);
    }
    return std::nullopt;
}

std::optional<QByteArray> CborRaw::ByteString(const QByteArray& item) {
    if (!IsOneItem(item) || !QCborStreamReader(item).isByteArray())
        return std::nullopt;
    return Value(item).toByteArray();
}

std::optional<QByteArray> CborRaw::EmbeddedCbor(const QByteArray& item) {
    QCborStreamReader reader(item);
    if (!reader.isTag() || reader.toTag() != QCborKnownTags::EncodedCbor || !reader.next() || !reader.isByteArray())
        return std::nullopt;
    const qint64 start = reader.currentOffset();
    const auto content = ByteString(item.mid(start));
    if (!content || !IsOneItem(*content))
        return std::nullopt;
    return content;
}

bool CborRaw::IsOneItem(const QByteArray& data) {
    QCborStreamReader reader(data);
    return SkipItem(reader) && reader.currentOffset() == data.size();
}

QCborValue CborRaw::Value(const QByteArray& item) {
    QCborParserError error;
    const QCborValue value = QCborValue::fromCbor(item, &error);
    return error.error == QCborError::NoError ? value : QCborValue(QCborValue::Invalid);
}

QByteArray CborRaw::Head(int majorType, quint64 value) {
    const char type = static_cast<char>(majorType << 5);
    QByteArray out;
    if (value < 24) {
        out.append(static_cast<char>(type | static_cast<char>(value)));
        return out;
    }
    int bytes = 8;
    char info = 27;
    if (value <= 0xff) {
        bytes = 1;
        info = 24;
    } else if (value <= 0xffff) {
        bytes = 2;
        info = 25;
    } else if (value <= 0xffffffffULL) {
        bytes = 4;
        info = 26;
    }
    out.append(static_cast<char>(type | info));
    for (int i = bytes - 1; i >= 0; --i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xff));
    return out;
}

QByteArray CborRaw::ByteStringItem(const QByteArray& content) {
    return Head(2, static_cast<quint64>(content.size())) + content;
}

QByteArray CborRaw::TextItem(const QByteArray& utf8) {
    return Head(3, static_cast<quint64>(utf8.size())) + utf8;
}

QByteArray CborRaw::Tag24(const QByteArray& embedded) {
    return Head(6, 24) + ByteStringItem(embedded);
}

} // namespace Mdl
