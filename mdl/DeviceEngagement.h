#pragma once
// The holder's DeviceEngagement, from the QR text a scanner types ("mdoc:" + base64url) or from its
// bytes: the ephemeral device key and the BLE retrieval options. The engagement bytes and the
// EDeviceKeyBytes are kept exactly as received, since both go into the session transcript.

#include <QByteArray>
#include <QString>

#include <optional>

namespace Mdl {

struct BleOptions {
    bool peripheralServerMode = false; // the phone is the GATT server, the station connects
    bool centralClientMode = false;    // the station is the GATT server, the phone connects
    QByteArray peripheralServerUuid;   // 16 bytes or empty
    QByteArray centralClientUuid;
    QByteArray peripheralServerAddress;
};

class DeviceEngagement {
public:
    static bool IsEngagementText(const QString& scan);
    // The engagement bytes of "mdoc:<base64url>" (a trailing Enter and '=' padding are tolerated).
    static std::optional<QByteArray> BytesFromText(const QString& scan);
    // Empty optional when the bytes are not an engagement with an EC2 device key.
    static std::optional<DeviceEngagement> Parse(const QByteArray& bytes);

    const QByteArray& Bytes() const { return m_bytes; }
    const QByteArray& EDeviceKeyBytes() const { return m_eDeviceKeyBytes; }
    const std::optional<BleOptions>& Ble() const { return m_ble; }

private:
    QByteArray m_bytes;
    QByteArray m_eDeviceKeyBytes;
    std::optional<BleOptions> m_ble;
};

} // namespace Mdl
