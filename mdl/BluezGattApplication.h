#pragma once
// The station's side of mdoc central client mode as BlueZ sees it: one D-Bus object tree with the GATT
// application (ObjectManager at <root>/app, the licence service and its State, Client2Server,
// Server2Client and Ident characteristics) and the LE advertisement (<root>/advertisement) that carries
// the service UUID. bluetoothd reads it with GetManagedObjects / GetAll and forwards the phone's GATT
// requests as method calls:
//   WriteValue (State, Client2Server)  --> written(characteristic, value, options)
//   StartNotify / StopNotify            --> notifying(characteristic, on)
//   ReadValue (Ident)                   <-- the 16 bytes given
//   Notify(characteristic, value)       --> PropertiesChanged "Value", which bluetoothd notifies
// It only translates; the session's rules live in BluezGattServerTransport. Registered on construction
// and unregistered on destruction, on the thread that owns it.

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QVariantMap>

namespace Mdl {

class BluezGattApplication final : public QDBusVirtualObject {
    Q_OBJECT
public:
    enum class Characteristic { State, Client2Server, Server2Client, Ident };

    // `serviceUuid` in text form; `ident` what a read of Ident returns.
    BluezGattApplication(QDBusConnection bus, QString root, QString serviceUuid, QByteArray ident);
    ~BluezGattApplication() override;
    BluezGattApplication(const BluezGattApplication&) = delete;
    BluezGattApplication& operator=(const BluezGattApplication&) = delete;

    // False when the bus refused the object path (taken, or no bus).
    bool Exported() const { return m_exported; }
    // Takes the objects off the bus now (a phone's call after this gets an error); idempotent.
    void Unexport();
    QString ApplicationPath() const { return m_root + QStringLiteral("/app"); }
    QString AdvertisementPath() const { return m_root + QStringLiteral("/advertisement"); }
    QString PathOf(Characteristic characteristic) const;
    static QString UuidOf(Characteristic characteristic); // 0000000N-a123-48ce-896b-4c76973373e6

    void Notify(Characteristic characteristic, const QByteArray& value);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

signals:
    void written(Mdl::BluezGattApplication::Characteristic characteristic, const QByteArray& value,
                 const QVariantMap& options);
    void notifying(Mdl::BluezGattApplication::Characteristic characteristic, bool on);

private:
    QString ServicePath() const { return ApplicationPath() + QStringLiteral("/service0"); }
    QMap<QString, QVariantMap> Interfaces(const QString& path) const;
    bool HandleCharacteristic(Characteristic characteristic, const QDBusMessage& message);
    void HandleProperties(const QDBusMessage& message);

    QDBusConnection m_bus;
    QString m_root;
    QString m_serviceUuid;
    QByteArray m_ident;
    bool m_exported = false;
};

} // namespace Mdl
