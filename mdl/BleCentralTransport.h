#pragma once
// mdoc peripheral server mode over Qt Bluetooth (BlueZ through D-Bus, no extra privilege): the phone
// advertises the service UUID of its engagement and is the GATT server; the station scans for it,
// connects, enables notifications on Server2Client and State, writes 0x01 ("start") to State, and then
// exchanges messages with the framing of BleFraming at the negotiated MTU (23 when unknown).
// A station without an adapter fails at once with "No Bluetooth adapter" rather than scanning forever.

#include "BleFraming.h"
#include "MdocTransport.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothUuid>
#include <QLowEnergyCharacteristic>
#include <QLowEnergyController>
#include <QLowEnergyService>

namespace Mdl {

class BleCentralTransport final : public MdocTransport {
    Q_OBJECT
public:
    static constexpr int kScanTimeoutMs = 8000;

    // `serviceUuid`: the 16 bytes of engagement option 10.
    explicit BleCentralTransport(const QByteArray& serviceUuid, QObject* parent = nullptr);

    void Open() override;
    void Send(const QByteArray& message) override;
    void Close() override;

    static bool HasAdapter();
    static QBluetoothUuid Characteristic(quint8 number); // 0000000N-a123-48ce-896b-4c76973373e6

private:
    void OnDeviceDiscovered(const QBluetoothDeviceInfo& device);
    void OnServiceDiscovered();
    void OnServiceState(QLowEnergyService::ServiceState state);
    void OnCharacteristicChanged(const QLowEnergyCharacteristic& characteristic, const QByteArray& value);
    void Fail(const QString& reason);
    int Mtu() const;

    QBluetoothUuid m_serviceUuid;
    QBluetoothDeviceDiscoveryAgent* m_agent = nullptr; // children of this transport
    QLowEnergyController* m_controller = nullptr;
    QLowEnergyService* m_service = nullptr;
    BleReassembler m_reassembler{BleFraming::kMaxValue + 3};
    bool m_done = false;
};

} // namespace Mdl
