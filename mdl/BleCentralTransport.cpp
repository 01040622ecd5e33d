#include "BleCentralTransport.h"

#include <QBluetoothLocalDevice>
#include <QLowEnergyDescriptor>
#include <QTimer>
#include <QUuid>

namespace Mdl {

namespace {

const QBluetoothUuid kState = BleCentralTransport::Characteristic(1);
const QBluetoothUuid kClient2Server = BleCentralTransport::Characteristic(2);
const QBluetoothUuid kServer2Client = BleCentralTransport::Characteristic(3);

} // namespace

QBluetoothUuid BleCentralTransport::Characteristic(quint8 number) {
    return QBluetoothUuid(QUuid(number, 0xa123, 0x48ce, 0x89, 0x6b, 0x4c, 0x76, 0x97, 0x33, 0x73, 0xe6));
}

namespace {

QBluetoothAddress AddressOf(const QByteArray& bytes) {
    if (bytes.size() != 6)
        return {};
    quint64 value = 0;
    for (const char byte : bytes)
        value = (value << 8) | static_cast<quint8>(byte);
    return QBluetoothAddress(value);
}

} // namespace

BleCentralTransport::BleCentralTransport(const QByteArray& serviceUuid, const QByteArray& address, QObject* parent)
    : MdocTransport(parent), m_serviceUuid(QUuid::fromRfc4122(serviceUuid)), m_address(AddressOf(address)) {}

bool BleCentralTransport::HasAdapter() {
    return !QBluetoothLocalDevice::allDevices().isEmpty();
}

void BleCentralTransport::Fail(const QString& reason) {
    if (m_done)
        return;
    m_done = true;
    if (m_agent)
        m_agent->stop();
    if (m_controller)
        m_controller->disconnectFromDevice();
    emit failed(reason);
}

void BleCentralTransport::Open() {
    // Reported from the event loop, so that whoever called Open() is ready for the signal.
    if (!HasAdapter()) {
        QTimer::singleShot(0, this, [this] { Fail(QStringLiteral("No Bluetooth adapter")); });
        return;
    }
    if (m_serviceUuid.isNull()) {
        QTimer::singleShot(0, this,
                           [this] { Fail(QStringLiteral("The phone offers no Bluetooth service to connect to.")); });
        return;
    }
    m_agent = new QBluetoothDeviceDiscoveryAgent(this);
    m_agent->setLowEnergyDiscoveryTimeout(kScanTimeoutMs);
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this, &BleCentralTransport::OnDeviceDiscovered);
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::errorOccurred, this,
            [this] { Fail(QStringLiteral("Bluetooth: ") + m_agent->errorString()); });
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::finished, this, [this] {
        if (!m_controller)
            Fail(QStringLiteral("The phone was not found nearby."));
    });
    m_agent->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
}

void BleCentralTransport::OnDeviceDiscovered(const QBluetoothDeviceInfo& device) {
    const bool named = !m_address.isNull() && device.address() == m_address;
    if (m_controller || m_done || !(named || device.serviceUuids().contains(m_serviceUuid)))
        return;
    m_agent->stop();
    m_controller = QLowEnergyController::createCentral(device, this);
    connect(m_controller, &QLowEnergyController::connected, m_controller, &QLowEnergyController::discoverServices);
    connect(m_controller, &QLowEnergyController::discoveryFinished, this, &BleCentralTransport::OnServiceDiscovered);
    connect(m_controller, &QLowEnergyController::disconnected, this,
            [this] { Fail(QStringLiteral("The phone disconnected.")); });
    connect(m_controller, &QLowEnergyController::errorOccurred, this,
            [this] { Fail(QStringLiteral("Bluetooth: ") + m_controller->errorString()); });
    m_controller->connectToDevice();
}

void BleCentralTransport::OnServiceDiscovered() {
    m_service = m_controller->createServiceObject(m_serviceUuid, this);
    if (!m_service) {
        Fail(QStringLiteral("The phone does not offer the licence service."));
        return;
    }
    connect(m_service, &QLowEnergyService::stateChanged, this, &BleCentralTransport::OnServiceState);
    connect(m_service, &QLowEnergyService::characteristicChanged, this, &BleCentralTransport::OnCharacteristicChanged);
    connect(m_service, &QLowEnergyService::errorOccurred, this,
            [this] { Fail(QStringLiteral("The phone's licence service failed.")); });
    // Reading every value first would wait on phones that never answer a read.
    m_service->discoverDetails(QLowEnergyService::SkipValueDiscovery);
}

void BleCentralTransport::OnServiceState(QLowEnergyService::ServiceState state) {
    if (state != QLowEnergyService::RemoteServiceDiscovered || m_done)
        return;
    const QLowEnergyCharacteristic stateCharacteristic = m_service->characteristic(kState);
    const QLowEnergyCharacteristic server2Client = m_service->characteristic(kServer2Client);
    if (!stateCharacteristic.isValid() || !server2Client.isValid() ||
        !m_service->characteristic(kClient2Server).isValid()) {
        Fail(QStringLiteral("The phone's licence service is incomplete."));
        return;
    }
    for (const QLowEnergyCharacteristic& notifying : {server2Client, stateCharacteristic}) {
        const QLowEnergyDescriptor cccd =
            notifying.descriptor(QBluetoothUuid::DescriptorType::ClientCharacteristicConfiguration);
        if (cccd.isValid())
            m_service->writeDescriptor(cccd, QLowEnergyCharacteristic::CCCDEnableNotification);
    }
    m_service->writeCharacteristic(stateCharacteristic, QByteArray(1, BleFraming::kStateStart),
                                   QLowEnergyService::WriteWithoutResponse);
    emit connected();
}

int BleCentralTransport::Mtu() const {
    const int mtu = m_controller ? m_controller->mtu() : -1;
    return mtu > 0 ? mtu : BleFraming::kDefaultMtu;
}

void BleCentralTransport::OnCharacteristicChanged(const QLowEnergyCharacteristic& characteristic,
                                                  const QByteArray& value) {
    if (m_done)
        return;
    if (characteristic.uuid() == kState) {
        if (value == QByteArray(1, BleFraming::kStateEnd))
            Fail(QStringLiteral("The phone ended the session."));
        return;
    }
    if (characteristic.uuid() != kServer2Client)
        return;
    if (!FeedChunk(m_reassembler, value))
        Fail(QStringLiteral("The phone sent a broken message."));
}

void BleCentralTransport::Send(const QByteArray& message) {
    if (m_done || !m_service)
        return;
    const QLowEnergyCharacteristic client2Server = m_service->characteristic(kClient2Server);
    for (const QByteArray& value : BleFraming::Chunk(message, Mtu()))
        m_service->writeCharacteristic(client2Server, value, QLowEnergyService::WriteWithoutResponse);
}

void BleCentralTransport::Close() {
    if (m_done)
        return;
    m_done = true;
    if (m_agent)
        m_agent->stop();
    if (m_service)
        m_service->writeCharacteristic(m_service->characteristic(kState), QByteArray(1, BleFraming::kStateEnd),
                                       QLowEnergyService::WriteWithoutResponse);
    if (m_controller)
        m_controller->disconnectFromDevice();
}

} // namespace Mdl
