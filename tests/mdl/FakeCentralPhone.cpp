#include "FakeCentralPhone.h"

#include "BluezDBusTypes.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace MdlTests {

namespace Bluez = Mdl::Bluez;

FakeCentralPhone::FakeCentralPhone(QDBusConnection bus, QString station, Characteristics characteristics,
                                   QString devicePath, FakeHolder& holder, Setup setup)
    : m_bus(std::move(bus)), m_station(std::move(station)), m_characteristics(std::move(characteristics)),
      m_devicePath(std::move(devicePath)), m_holder(holder), m_setup(setup), m_reassembler(setup.mtu) {}

QDBusMessage FakeCentralPhone::Call(const QString& path, const QString& method) const {
    return QDBusMessage::createMethodCall(m_station, path, Bluez::kGattCharacteristic, method);
}

void FakeCentralPhone::Start() {
    m_bus.connect(m_station, QString(), Bluez::kProperties, QStringLiteral("PropertiesChanged"), this,
                  SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
    QDBusMessage read = Call(m_characteristics.ident, QStringLiteral("ReadValue"));
    read << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        ident = QDBusPendingReply<QByteArray>(*watcher).value();
    });
    // One connection, so the station sees these in this order, as over the air.
    m_bus.send(Call(m_characteristics.server2Client, QStringLiteral("StartNotify")));
    m_bus.send(Call(m_characteristics.state, QStringLiteral("StartNotify")));
    Write(m_characteristics.state, QByteArray(1, Mdl::BleFraming::kStateStart));
}

void FakeCentralPhone::Write(const QString& path, const QByteArray& value) {
    QDBusMessage write = Call(path, QStringLiteral("WriteValue"));
    write << value
          << QVariantMap{{QStringLiteral("type"), QStringLiteral("command")},
                         {QStringLiteral("mtu"), QVariant::fromValue(static_cast<quint16>(m_setup.mtu))},
                         {QStringLiteral("device"), QVariant::fromValue(QDBusObjectPath(m_devicePath))}};
    m_bus.send(write);
}

void FakeCentralPhone::GoAway() {
    m_gone = true;
    QDBusMessage signal =
        QDBusMessage::createSignal(m_devicePath, Bluez::kProperties, QStringLiteral("PropertiesChanged"));
    signal << Bluez::kDevice << QVariantMap{{QStringLiteral("Connected"), false}} << QStringList();
    m_bus.send(signal);
}

void FakeCentralPhone::OnPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&,
                                           const QDBusMessage& message) {
    if (interface != Bluez::kGattCharacteristic || !changed.contains(QStringLiteral("Value")))
        return;
    const QByteArray value = changed.value(QStringLiteral("Value")).toByteArray();
    if (message.path() == m_characteristics.state)
        stateValues.append(value);
    else if (message.path() == m_characteristics.server2Client && !m_gone)
        OnServer2Client(value);
}

void FakeCentralPhone::OnServer2Client(const QByteArray& value) {
    ++chunksReceived;
    largestValue = std::max(largestValue, static_cast<int>(value.size()));
    if (chunksReceived == m_setup.disconnectAfterChunks) {
        GoAway();
        return;
    }
    if (chunksReceived == m_setup.bluetoothdStopsAfterChunks) {
        m_gone = true;
        m_bus.unregisterService(Bluez::kService);
        return;
    }
    if (chunksReceived == m_setup.unsubscribeAfterChunks) {
        m_gone = true;
        m_bus.send(Call(m_characteristics.server2Client, QStringLiteral("StopNotify")));
        return;
    }
    const auto result = m_reassembler.Feed(value);
    if (result == Mdl::BleReassembler::Result::Error)
        ++brokenValues;
    if (result != Mdl::BleReassembler::Result::Complete)
        return;
    const QByteArray message = m_reassembler.TakeMessage();
    messageSizes.append(message.size());
    const QByteArray reply = m_holder.OnMessage(message);
    if (m_setup.endBeforeAnswering) {
        m_gone = true;
        Write(m_characteristics.state, QByteArray(1, Mdl::BleFraming::kStateEnd));
        return;
    }
    if (reply.isEmpty() || m_setup.silent)
        return;
    for (const QByteArray& chunk : Mdl::BleFraming::Chunk(reply, m_setup.mtu))
        Write(m_characteristics.client2Server, chunk);
}

} // namespace MdlTests
