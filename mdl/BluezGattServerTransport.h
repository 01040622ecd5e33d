#pragma once
// mdoc central client mode through BlueZ's D-Bus API (no extra privilege): the station is the GATT server
// and advertises the service UUID of the engagement; the phone connects as GATT client.
//   Open: org.bluez GetManagedObjects -> the first adapter with GattManager1 and LEAdvertisingManager1
//         -> export BluezGattApplication -> RegisterApplication -> RegisterAdvertisement
//   phone: StartNotify Server2Client, WriteValue State 0x01 -> connected()
//          WriteValue Client2Server chunks (BleFraming)      -> messageReceived()
//   Send:  Server2Client notifications, chunked to the MTU of the phone's writes ("mtu" option)
//   Close: State 0x02, then the advertisement and the application are unregistered (RAII handles)
// A phone that writes State 0x02, drops its subscription or disconnects (Device1 Connected false), and
// bluetoothd leaving the bus, end the session with failed(); no org.bluez, no adapter with those managers:
// "No Bluetooth adapter". All of it runs on the thread that owns the transport (the session's worker).

#include "BleFraming.h"
#include "BluezGattApplication.h"
#include "BluezRegistration.h"
#include "MdocTransport.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>

#include <functional>
#include <memory>

namespace Mdl {

class BluezGattServerTransport final : public MdocTransport {
    Q_OBJECT
public:
    static constexpr int kCallTimeoutMs = 5000;

    // `bus`: the system bus on a station, a private one in tests; `serviceUuid`: the 16 bytes of engagement
    // option 11; `ident`: what the phone reads from Ident (IdentFor the engagement's device key).
    BluezGattServerTransport(QDBusConnection bus, const QByteArray& serviceUuid, QByteArray ident,
                             QObject* parent = nullptr);
    ~BluezGattServerTransport() override;

    void Open() override;
    void Send(const QByteArray& message) override;
    void Close() override;

    // HKDF-SHA256 of EDeviceKeyBytes, empty salt, info "BLEIdent", 16 bytes: lets the phone check that it
    // reached the reader that scanned its code.
    static QByteArray IdentFor(const QByteArray& eDeviceKeyBytes);

private slots:
    void OnDeviceProperties(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    struct DeleteLater {
        // The session may end inside one of the object's own handlers or signals.
        void operator()(QObject* object) const { object->deleteLater(); }
    };
    using Characteristic = BluezGattApplication::Characteristic;

    void OnManagedObjects(const QDBusMessage& reply);
    // Sends RegisterX for `objectPath` to `manager` and keeps its undoing in `handle` from then on.
    void Register(const QString& manager, const QString& objectPath, std::unique_ptr<BluezRegistration>& handle,
                  std::function<void()> then);
    void OnWritten(Characteristic characteristic, const QByteArray& value, const QVariantMap& options);
    void OnNotifying(Characteristic characteristic, bool on);
    void WatchDevice(const QString& devicePath);
    void Call(QDBusMessage call, std::function<void(const QDBusMessage&)> onReply);
    void FailLater(const QString& reason);
    void Fail(const QString& reason);
    void Teardown();

    QDBusConnection m_bus;
    QString m_serviceUuid; // text form; empty when the engagement gave none
    QByteArray m_ident;
    QString m_adapterPath;
    std::unique_ptr<BluezGattApplication, DeleteLater> m_app;
    std::unique_ptr<BluezRegistration> m_application;
    std::unique_ptr<BluezRegistration> m_advertisement;
    std::unique_ptr<QDBusServiceWatcher, DeleteLater> m_bluezWatcher;
    QString m_devicePath;
    // Incoming values are taken up to the ATT maximum: the MTU comes with the writes themselves.
    BleReassembler m_reassembler{BleFraming::kMaxValue + 3};
    int m_mtu = BleFraming::kDefaultMtu;
    bool m_started = false;
    bool m_done = false;
};

} // namespace Mdl
