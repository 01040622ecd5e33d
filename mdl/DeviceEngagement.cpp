#include "DeviceEngagement.h"

#include "CborRaw.h"
#include "CoseKey.h"

#include <QCborArray>
#include <QCborMap>

namespace Mdl {

namespace {

const QString kScheme = QStringLiteral("mdoc:");

bool IsBase64UrlCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'-' || u == u'_';
}

std::optional<BleOptions> ReadBle(const QCborValue& methods) {
    for (const QCborValue& method : methods.toArray()) {
        const QCborArray entry = method.toArray();
        if (entry.size() < 3 || entry.at(0).toInteger() != 2)
            continue;
        const QCborMap options = entry.at(2).toMap();
        BleOptions ble;
        ble.peripheralServerMode = options.value(0).toBool(false);
        ble.centralClientMode = options.value(1).toBool(false);
        ble.peripheralServerUuid = options.value(10).toByteArray();
        ble.centralClientUuid = options.value(11).toByteArray();
        ble.peripheralServerAddress = options.value(20).toByteArray();
        return ble;
    }
    return std::nullopt;
}

} // namespace

bool DeviceEngagement::IsEngagementText(const QString& scan) {
    return scan.startsWith(kScheme);
}

std::optional<QByteArray> DeviceEngagement::BytesFromText(const QString& scan) {
    if (!IsEngagementText(scan))
        return std::nullopt;
    QString body = scan.mid(kScheme.size());
    while (body.endsWith(QLatin1Char('\n')) || body.endsWith(QLatin1Char('\r')))
        body.chop(1);
    while (body.endsWith(QLatin1Char('=')))
        body.chop(1);
    if (body.isEmpty())
        return std::nullopt;
    for (const QChar c : body) {
        if (!IsBase64UrlCharacter(c))
            return std::nullopt;
    }
    const auto decoded =
        QByteArray::fromBase64Encoding(body.toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals |
                                                            QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return std::nullopt;
    return decoded.decoded;
}

std::optional<DeviceEngagement> DeviceEngagement::Parse(const QByteArray& bytes) {
    const auto security = CborRaw::MapValue(bytes, QCborValue(1));
    if (!security)
        return std::nullopt;
    const auto parts = CborRaw::Children(*security);
    if (!parts || parts->size() < 2 || CborRaw::Value(parts->at(0)).toInteger() != 1)
        return std::nullopt;
    const auto keyCbor = CborRaw::EmbeddedCbor(parts->at(1));
    if (!keyCbor || !CoseKey::ToPublicKey(CborRaw::Value(*keyCbor)))
        return std::nullopt;
    DeviceEngagement engagement;
    engagement.m_bytes = bytes;
    engagement.m_eDeviceKeyBytes = parts->at(1);
    if (const auto methods = CborRaw::MapValue(bytes, QCborValue(2)))
        engagement.m_ble = ReadBle(CborRaw::Value(*methods));
    return engagement;
}

} // namespace Mdl
