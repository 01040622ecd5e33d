#pragma once
// Picks the transport an engagement allows on this station:
//   mdoc peripheral server mode (the phone is the GATT server) -> BleCentralTransport (Qt Bluetooth),
//   preferred when a phone offers both;
//   mdoc central client mode (the station is the GATT server)  -> BluezGattServerTransport (BlueZ D-Bus).
// Everything else becomes a FailingTransport with the reason in words: no adapter, a build without the
// means (Qt Bluetooth, Qt D-Bus), or a phone that offers neither mode.

#include "DeviceEngagement.h"
#include "MdocTransport.h"

#include <QString>

#include <memory>

namespace Mdl {

class MdocTransportFactory {
public:
    // `bluezBusAddress`: the D-Bus address where bluetoothd is found; empty for the system bus (a station).
    static std::unique_ptr<MdocTransport> ForEngagement(const DeviceEngagement& engagement,
                                                        const QString& bluezBusAddress = QString());
};

} // namespace Mdl
