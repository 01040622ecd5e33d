#pragma once
// A stand-in for bluetoothd on a private bus: owns "org.bluez", lists one adapter (/org/bluez/hci0) with
// GattManager1 and LEAdvertisingManager1 through the root ObjectManager, and on RegisterApplication reads
// the station's application with GetManagedObjects, finds the licence service and its characteristics by
// UUID, and on RegisterAdvertisement reads the advertisement's properties. Once both are registered it
// lets a FakeCentralPhone connect. Switches leave out the GATT manager, switch the adapter off or refuse
// the application. Everything the station did is kept for the test to check.

#include "FakeCentralPhone.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <memory>

namespace MdlTests {

class FakeBluez final : public QDBusVirtualObject {
    Q_OBJECT
public:
    static constexpr char kAdapterPath[] = "/org/bluez/hci0";
    static constexpr char kDevicePath[] = "/org/bluez/hci0/dev_5A_11_22_33_44_55";

    struct Options {
        bool gattManager = true;
        bool powered = true;
        bool refuseApplication = false;
        bool holdApplication = false; // reads the application but never answers RegisterApplication
        QString serviceUuid;          // the licence service the phone looks for
    };

    FakeBluez(const QString& busAddress, FakeHolder& holder, Options options, FakeCentralPhone::Setup phoneSetup);
    ~FakeBluez() override;

    bool Ok() const { return m_ok; }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

    int applicationsRegistered = 0;
    int applicationsUnregistered = 0;
    int advertisementsRegistered = 0;
    int advertisementsUnregistered = 0;
    QString advertisementType;
    QStringList advertisedUuids;
    QMap<QString, QStringList> flags; // characteristic UUID -> GATT flags of the station's service
    std::unique_ptr<FakeCentralPhone> phone;

private:
    void RegisterApplication(const QDBusMessage& message);
    void RegisterAdvertisement(const QDBusMessage& message);
    void OnApplication(const QDBusMessage& pending, const QDBusMessage& reply);
    void StartPhoneWhenReady();
    void AsyncCall(const QDBusMessage& call, std::function<void(const QDBusMessage&)> onReply);

    QString m_connectionName;
    QDBusConnection m_bus;
    FakeHolder& m_holder;
    Options m_options;
    FakeCentralPhone::Setup m_phoneSetup;
    QString m_station;
    FakeCentralPhone::Characteristics m_characteristics;
    bool m_ok = false;
};

} // namespace MdlTests
