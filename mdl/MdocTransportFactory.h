#pragma once
// Picks the transport an engagement allows on this station: BLE with the phone as GATT server (mdoc
// peripheral server mode) through Qt Bluetooth. Everything else becomes a FailingTransport with the
// reason in words: no adapter, a build without Bluetooth, or a phone that offers only central client
// mode (the station as GATT server) or NFC, which this station does not do yet.

#include "DeviceEngagement.h"
#include "MdocTransport.h"

#include <memory>

namespace Mdl {

class MdocTransportFactory {
public:
    static std::unique_ptr<MdocTransport> ForEngagement(const DeviceEngagement& engagement);
};

} // namespace Mdl
