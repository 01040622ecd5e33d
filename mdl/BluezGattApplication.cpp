#include "BluezGattApplication.h"

#include "BluezDBusTypes.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>

#include <array>

namespace Mdl {

namespace {

using Characteristic = BluezGattApplication::Characteristic;

constexpr std::array kCharacteristics{Characteristic::State, Characteristic::Client2Server,
                                      Characteristic::Server2Client, Characteristic::Ident};

const QString kNotPermitted = QStringLiteral("org.bluez.Error.NotPermitted");
const QString kNotSupported = QStringLiteral("org.bluez.Error.NotSupported");

// GATT properties as in the table of the central client mode service.
QStringList FlagsOf(Characteristic characteristic) {
    switch (characteristic) {
    case Characteristic::State:
        return {QStringLiteral("notify"), QStringLiteral("write-without-response")};
    case Characteristic::Client2Server:
        return {QStringLiteral("write-without-response")};
    case Characteristic::Server2Client:
        return {QStringLiteral("notify")};
    case Characteristic::Ident:
        return {QStringLiteral("read")};
    }
    return {};
}

int NumberOf(Characteristic characteristic) {
    return static_cast<int>(characteristic);
}

QVariantMap OptionsOf(const QDBusMessage& message, int index) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() <= index)
        return {};
    return qdbus_cast<QVariantMap>(arguments.at(index));
}

} // namespace

BluezGattApplication::BluezGattApplication(QDBusConnection bus, QString root, QString serviceUuid, QByteArray ident)
    : m_bus(std::move(bus)), m_root(std::move(root)), m_serviceUuid(std::move(serviceUuid)), m_ident(std::move(ident)) {
    Bluez::RegisterTypes();
    m_exported = m_bus.isConnected() && m_bus.registerVirtualObject(m_root, this, QDBusConnection::SubPath);
}

BluezGattApplication::~BluezGattApplication() {
    Unexport();
}

void BluezGattApplication::Unexport() {
    if (!m_exported)
        return;
    m_exported = false;
    m_bus.unregisterObject(m_root, QDBusConnection::UnregisterTree);
}

QString BluezGattApplication::UuidOf(Characteristic characteristic) {
    return QStringLiteral("0000000%1-a123-48ce-896b-4c76973373e6").arg(NumberOf(characteristic) + 5);
}

QString BluezGattApplication::PathOf(Characteristic characteristic) const {
    return ServicePath() + QStringLiteral("/char%1").arg(NumberOf(characteristic));
}

QMap<QString, QVariantMap> BluezGattApplication::Interfaces(const QString& path) const {
    if (path == ServicePath())
        return {{Bluez::kGattService, {{QStringLiteral("UUID"), m_serviceUuid}, {QStringLiteral("Primary"), true}}}};
    if (path == AdvertisementPath())
        return {{Bluez::kAdvertisement,
                 {{QStringLiteral("Type"), QStringLiteral("peripheral")},
                  {QStringLiteral("ServiceUUIDs"), QStringList{m_serviceUuid}},
                  {QStringLiteral("Discoverable"), true}}}};
    for (const Characteristic characteristic : kCharacteristics) {
        if (path == PathOf(characteristic))
            return {{Bluez::kGattCharacteristic,
                     {{QStringLiteral("UUID"), UuidOf(characteristic)},
                      {QStringLiteral("Service"), QVariant::fromValue(QDBusObjectPath(ServicePath()))},
                      {QStringLiteral("Flags"), FlagsOf(characteristic)}}}};
    }
    return {};
}

void BluezGattApplication::Notify(Characteristic characteristic, const QByteArray& value) {
    if (!m_exported)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(PathOf(characteristic), Bluez::kProperties, QStringLiteral("PropertiesChanged"));
    signal << Bluez::kGattCharacteristic << QVariantMap{{QStringLiteral("Value"), value}} << QStringList();
    m_bus.send(signal);
}

QString BluezGattApplication::introspect(const QString&) const {
    return {}; // bluetoothd reads the tree through GetManagedObjects, not introspection
}

bool BluezGattApplication::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    if (!m_exported)
        return false;
    const QString path = message.path();
    if (message.interface() == Bluez::kProperties) {
        HandleProperties(message);
        return true;
    }
    if (path == ApplicationPath() && message.member() == QStringLiteral("GetManagedObjects")) {
        Bluez::ManagedObjects objects;
        objects.insert(QDBusObjectPath(ServicePath()), Interfaces(ServicePath()));
        for (const Characteristic characteristic : kCharacteristics)
            objects.insert(QDBusObjectPath(PathOf(characteristic)), Interfaces(PathOf(characteristic)));
        m_bus.send(message.createReply(QVariant::fromValue(objects)));
        return true;
    }
    if (path == AdvertisementPath() && message.member() == QStringLiteral("Release")) {
        m_bus.send(message.createReply());
        return true;
    }
    for (const Characteristic characteristic : kCharacteristics) {
        if (path == PathOf(characteristic) && message.interface() == Bluez::kGattCharacteristic)
            return HandleCharacteristic(characteristic, message);
    }
    m_bus.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method here.")));
    return true;
}

void BluezGattApplication::HandleProperties(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    const QMap<QString, QVariantMap> interfaces = Interfaces(message.path());
    const QString interface = arguments.value(0).toString();
    if (!interfaces.contains(interface)) {
        m_bus.send(message.createErrorReply(QDBusError::UnknownInterface, QStringLiteral("No such interface.")));
        return;
    }
    const QVariantMap properties = interfaces.value(interface);
    if (message.member() == QStringLiteral("GetAll")) {
        m_bus.send(message.createReply(properties));
        return;
    }
    const QString name = arguments.value(1).toString();
    if (message.member() == QStringLiteral("Get") && properties.contains(name)) {
        m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(properties.value(name)))));
        return;
    }
    m_bus.send(message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("Read-only or unknown property.")));
}

bool BluezGattApplication::HandleCharacteristic(Characteristic characteristic, const QDBusMessage& message) {
    const QString member = message.member();
    const bool notifies = FlagsOf(characteristic).contains(QStringLiteral("notify"));
    if (member == QStringLiteral("ReadValue")) {
        // A long read continues at the offset bluetoothd gives.
        const int offset = OptionsOf(message, 0).value(QStringLiteral("offset")).toInt();
        m_bus.send(characteristic == Characteristic::Ident
                       ? message.createReply(m_ident.mid(offset))
                       : message.createErrorReply(kNotPermitted, QStringLiteral("Read not permitted")));
        return true;
    }
    if (member == QStringLiteral("WriteValue")) {
        if (characteristic != Characteristic::State && characteristic != Characteristic::Client2Server) {
            m_bus.send(message.createErrorReply(kNotPermitted, QStringLiteral("Write not permitted")));
            return true;
        }
        const QByteArray value = message.arguments().value(0).toByteArray();
        const QVariantMap options = OptionsOf(message, 1);
        // Answered before the session hears of it: what it does next may take this object off the bus.
        m_bus.send(message.createReply());
        emit written(characteristic, value, options);
        return true;
    }
    if (member == QStringLiteral("StartNotify") || member == QStringLiteral("StopNotify")) {
        if (!notifies) {
            m_bus.send(message.createErrorReply(kNotSupported, QStringLiteral("Notify not supported")));
            return true;
        }
        m_bus.send(message.createReply());
        emit notifying(characteristic, member == QStringLiteral("StartNotify"));
        return true;
    }
    m_bus.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method here.")));
    return true;
}

} // namespace Mdl
