#include "FakeBluez.h"

#include "BluezDBusTypes.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>

namespace MdlTests {

namespace Bluez = Mdl::Bluez;

namespace {

QString CharacteristicUuid(int number) {
    return QStringLiteral("0000000%1-a123-48ce-896b-4c76973373e6").arg(number);
}

} // namespace

FakeBluez::FakeBluez(const QString& busAddress, FakeHolder& holder, Options options, FakeCentralPhone::Setup phoneSetup)
    : m_connectionName(QStringLiteral("fake-bluez ") + busAddress),
      m_bus(QDBusConnection::connectToBus(busAddress, m_connectionName)), m_holder(holder),
      m_options(std::move(options)), m_phoneSetup(phoneSetup) {
    Bluez::RegisterTypes();
    m_ok = m_bus.isConnected() && m_bus.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath) &&
           m_bus.registerService(Bluez::kService);
}

FakeBluez::~FakeBluez() {
    phone.reset();
    m_bus.unregisterService(Bluez::kService);
    m_bus.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void FakeBluez::AsyncCall(const QDBusMessage& call, std::function<void(const QDBusMessage&)> onReply) {
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, onReply = std::move(onReply)] {
        watcher->deleteLater();
        onReply(watcher->reply());
    });
}

bool FakeBluez::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    const QString member = message.member();
    if (message.path() == QStringLiteral("/") && member == QStringLiteral("GetManagedObjects")) {
        Bluez::InterfaceMap adapter{
            {Bluez::kAdapter, {{QStringLiteral("Powered"), m_options.powered}}},
            {Bluez::kAdvertisingManager, {{QStringLiteral("ActiveInstances"), QVariant::fromValue(quint8(0))}}}};
        if (m_options.gattManager)
            adapter.insert(Bluez::kGattManager, {});
        const Bluez::ManagedObjects objects{
            {QDBusObjectPath(QStringLiteral("/org/bluez")), {{QStringLiteral("org.bluez.AgentManager1"), {}}}},
            {QDBusObjectPath(QString::fromLatin1(kAdapterPath)), adapter},
            {QDBusObjectPath(QString::fromLatin1(kDevicePath)),
             {{Bluez::kDevice, {{QStringLiteral("Connected"), true}}}}}};
        m_bus.send(message.createReply(QVariant::fromValue(objects)));
        return true;
    }
    if (message.path() != QString::fromLatin1(kAdapterPath)) {
        m_bus.send(message.createErrorReply(QDBusError::UnknownObject, QStringLiteral("No such object")));
        return true;
    }
    if (member == QStringLiteral("RegisterApplication") && m_options.gattManager) {
        RegisterApplication(message);
    } else if (member == QStringLiteral("RegisterAdvertisement")) {
        RegisterAdvertisement(message);
    } else if (member == QStringLiteral("UnregisterApplication")) {
        ++applicationsUnregistered;
        m_bus.send(message.createReply());
    } else if (member == QStringLiteral("UnregisterAdvertisement")) {
        ++advertisementsUnregistered;
        m_bus.send(message.createReply());
    } else {
        m_bus.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method")));
    }
    return true;
}

void FakeBluez::RegisterApplication(const QDBusMessage& message) {
    if (m_options.refuseApplication) {
        m_bus.send(message.createErrorReply(QStringLiteral("org.bluez.Error.AlreadyExists"),
                                            QStringLiteral("Application already registered")));
        return;
    }
    // Held from here on, as bluetoothd does, even before it answers.
    ++applicationsRegistered;
    m_station = message.service();
    const QString path = qdbus_cast<QDBusObjectPath>(message.arguments().value(0)).path();
    // bluetoothd answers only once it has read the application.
    AsyncCall(
        QDBusMessage::createMethodCall(m_station, path, Bluez::kObjectManager, QStringLiteral("GetManagedObjects")),
        [this, message](const QDBusMessage& reply) { OnApplication(message, reply); });
}

void FakeBluez::OnApplication(const QDBusMessage& pending, const QDBusMessage& reply) {
    const auto objects = qdbus_cast<Bluez::ManagedObjects>(reply.arguments().value(0));
    QString servicePath;
    for (auto it = objects.constBegin(); it != objects.constEnd(); ++it) {
        const QVariantMap service = it->value(Bluez::kGattService);
        if (service.value(QStringLiteral("UUID")).toString() == m_options.serviceUuid &&
            service.value(QStringLiteral("Primary")).toBool())
            servicePath = it.key().path();
    }
    for (auto it = objects.constBegin(); it != objects.constEnd(); ++it) {
        const QVariantMap characteristic = it->value(Bluez::kGattCharacteristic);
        if (characteristic.isEmpty() ||
            characteristic.value(QStringLiteral("Service")).value<QDBusObjectPath>().path() != servicePath)
            continue;
        const QString uuid = characteristic.value(QStringLiteral("UUID")).toString();
        flags.insert(uuid, characteristic.value(QStringLiteral("Flags")).toStringList());
        const QString path = it.key().path();
        if (uuid == CharacteristicUuid(5))
            m_characteristics.state = path;
        else if (uuid == CharacteristicUuid(6))
            m_characteristics.client2Server = path;
        else if (uuid == CharacteristicUuid(7))
            m_characteristics.server2Client = path;
        else if (uuid == CharacteristicUuid(8))
            m_characteristics.ident = path;
    }
    if (servicePath.isEmpty() || m_characteristics.state.isEmpty() || m_characteristics.client2Server.isEmpty() ||
        m_characteristics.server2Client.isEmpty()) {
        --applicationsRegistered;
        m_bus.send(pending.createErrorReply(QStringLiteral("org.bluez.Error.InvalidArguments"),
                                            QStringLiteral("No licence service in the application")));
        return;
    }
    if (m_options.holdApplication)
        return;
    m_bus.send(pending.createReply());
    StartPhoneWhenReady();
}

void FakeBluez::RegisterAdvertisement(const QDBusMessage& message) {
    const QString path = qdbus_cast<QDBusObjectPath>(message.arguments().value(0)).path();
    QDBusMessage getAll =
        QDBusMessage::createMethodCall(message.service(), path, Bluez::kProperties, QStringLiteral("GetAll"));
    getAll << Bluez::kAdvertisement;
    AsyncCall(getAll, [this, message](const QDBusMessage& reply) {
        const auto properties = qdbus_cast<QVariantMap>(reply.arguments().value(0));
        advertisementType = properties.value(QStringLiteral("Type")).toString();
        advertisedUuids = properties.value(QStringLiteral("ServiceUUIDs")).toStringList();
        ++advertisementsRegistered;
        m_bus.send(message.createReply());
        StartPhoneWhenReady();
    });
}

void FakeBluez::StartPhoneWhenReady() {
    // The phone finds the station by the advertised UUID only.
    if (phone || applicationsRegistered == 0 || !advertisedUuids.contains(m_options.serviceUuid))
        return;
    phone = std::make_unique<FakeCentralPhone>(m_bus, m_station, m_characteristics, QString::fromLatin1(kDevicePath),
                                               m_holder, m_phoneSetup);
    phone->Start();
}

} // namespace MdlTests
