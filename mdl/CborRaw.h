#pragma once
// Byte-exact access to received CBOR. Signatures and digests cover the bytes as the holder sent them,
// and re-encoding (Qt turns a tag-0 date "...02Z" into "...02.000Z") would break them, so the checks
// walk the received bytes with QCborStreamReader and cut out the items they hash; values are read with
// QCborValue only where no hash depends on them.

#include <QByteArray>
#include <QCborValue>
#include <QList>

#include <optional>

namespace Mdl {

class CborRaw {
public:
    // The encoded children of one array or map item, in order (a map gives key, value, key, value...).
    // Empty optional when `item` is not exactly one well-formed array or map.
    static std::optional<QList<QByteArray>> Children(const QByteArray& item);
    // The encoded value of `key` in the map `item`.
    static std::optional<QByteArray> MapValue(const QByteArray& item, const QCborValue& key);
    // The content of a byte string item (no tags allowed).
    static std::optional<QByteArray> ByteString(const QByteArray& item);
    // The content of #6.24(bstr): the embedded CBOR as it was sent.
    static std::optional<QByteArray> EmbeddedCbor(const QByteArray& item);
    // True when `data` is exactly one well-formed item.
    static bool IsOneItem(const QByteArray& data);
    static QCborValue Value(const QByteArray& item);

    // Encoders for the structures this side builds itself around received bytes.
    static QByteArray Head(int majorType, quint64 value);
    static QByteArray ByteStringItem(const QByteArray& content);
    static QByteArray TextItem(const QByteArray& utf8);
    static QByteArray Tag24(const QByteArray& embedded);
};

} // namespace Mdl
