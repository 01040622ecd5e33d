#include "MdocTransportFactory.h"

#include "FailingTransport.h"

#ifdef KESTRIN_HAVE_BLUETOOTH
#include "BleCentralTransport.h"
#endif
#ifdef KESTRIN_HAVE_BLUEZ_DBUS
#include "BluezGattServerTransport.h"

#include <QDBusConnection>
#endif

namespace Mdl {

namespace {

const QString kNoAdapter = QStringLiteral("No Bluetooth adapter");

#ifdef KESTRIN_HAVE_BLUEZ_DBUS
QDBusConnection BluezBus(const QString& address) {
    if (address.isEmpty())
        return QDBusConnection::systemBus();
    // One connection per address for the whole process: a session's last calls (the unregistrations) go
    // out after its transport is gone, so the connection must outlive it.
    return QDBusConnection::connectToBus(address, QStringLiteral("kestrin-bluez ") + address);
}
#endif

} // namespace

std::unique_ptr<MdocTransport> MdocTransportFactory::ForEngagement(const DeviceEngagement& engagement,
                                                                   const QString& bluezBusAddress) {
    const auto& ble = engagement.Ble();
    const bool peripheralServer = ble && ble->peripheralServerMode && ble->peripheralServerUuid.size() == 16;
    const bool centralClient = ble && ble->centralClientMode && ble->centralClientUuid.size() == 16;
#ifdef KESTRIN_HAVE_BLUETOOTH
    if (peripheralServer) {
        if (!BleCentralTransport::HasAdapter())
            return std::make_unique<FailingTransport>(kNoAdapter);
        return std::make_unique<BleCentralTransport>(ble->peripheralServerUuid, ble->peripheralServerAddress);
    }
#endif
#ifdef KESTRIN_HAVE_BLUEZ_DBUS
    if (centralClient)
        return std::make_unique<BluezGattServerTransport>(
            BluezBus(bluezBusAddress), ble->centralClientUuid,
            BluezGattServerTransport::IdentFor(engagement.EDeviceKeyBytes()));
#else
    Q_UNUSED(bluezBusAddress);
#endif
    if (peripheralServer || centralClient)
        return std::make_unique<FailingTransport>(kNoAdapter); // this build has no way to reach the phone
    return std::make_unique<FailingTransport>(QStringLiteral("The phone offers no Bluetooth connection."));
}

} // namespace Mdl
