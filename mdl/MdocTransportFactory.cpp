#include "MdocTransportFactory.h"

#include "FailingTransport.h"

#ifdef KESTRIN_HAVE_BLUETOOTH
#include "BleCentralTransport.h"
#endif

namespace Mdl {

std::unique_ptr<MdocTransport> MdocTransportFactory::ForEngagement(const DeviceEngagement& engagement) {
#ifdef KESTRIN_HAVE_BLUETOOTH
    if (!BleCentralTransport::HasAdapter())
        return std::make_unique<FailingTransport>(QStringLiteral("No Bluetooth adapter"));
    const auto& ble = engagement.Ble();
    if (ble && ble->peripheralServerMode && ble->peripheralServerUuid.size() == 16)
        return std::make_unique<BleCentralTransport>(ble->peripheralServerUuid);
    if (ble && ble->centralClientMode)
        return std::make_unique<FailingTransport>(
            QStringLiteral("The phone asks the station to be the Bluetooth server, which it cannot do yet."));
    return std::make_unique<FailingTransport>(QStringLiteral("The phone offers no Bluetooth connection."));
#else
    Q_UNUSED(engagement);
    return std::make_unique<FailingTransport>(QStringLiteral("No Bluetooth adapter"));
#endif
}

} // namespace Mdl
