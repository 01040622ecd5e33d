#include "BluezGattServerTransport.h"

#include "BluezDBusTypes.h"
#include "MdlCrypto.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QTimer>
#include <QUuid>

#include <atomic>
#include <optional>

namespace Mdl {

namespace {

const QString kNoAdapter = QStringLiteral("No Bluetooth adapter");
const QString kDisconnected = QStringLiteral("The phone disconnected.");

// Each session exports its objects under a path of its own, so that a late call for an ended session
// never reaches the next one.
QString NextRoot() {
    static std::atomic<int> counter{0};
    return QStringLiteral("/org/kestrin/mdl/session%1").arg(++counter);
}

QString UuidText(const QByteArray& bytes) {
    return bytes.size() == 16 ? QUuid::fromRfc4122(bytes).toString(QUuid::WithoutBraces) : QString();
}

struct Adapter {
    QString path;
    bool powered;
};

// The first adapter (by path: hci0 before hci1) that can both serve GATT and advertise.
std::optional<Adapter> FindAdapter(const Bluez::ManagedObjects& objects) {
    for (auto it = objects.constBegin(); it != objects.constEnd(); ++it) {
        if (it->contains(Bluez::kGattManager) && it->contains(Bluez::kAdvertisingManager))
            return Adapter{it.key().path(), it->value(Bluez::kAdapter).value(QStringLiteral("Powered"), true).toBool()};
    }
    return std::nullopt;
}

} // namespace

BluezGattServerTransport::BluezGattServerTransport(QDBusConnection bus, const QByteArray& serviceUuid, QByteArray ident,
                                                   QObject* parent)
    : MdocTransport(parent), m_bus(std::move(bus)), m_serviceUuid(UuidText(serviceUuid)), m_ident(std::move(ident)) {
    Bluez::RegisterTypes();
}

BluezGattServerTransport::~BluezGattServerTransport() {
    if (m_done)
        return;
    m_done = true;
    Teardown();
}

QByteArray BluezGattServerTransport::IdentFor(const QByteArray& eDeviceKeyBytes) {
    return MdlCrypto::HkdfSha256(eDeviceKeyBytes, QByteArray(), QByteArrayLiteral("BLEIdent"), 16);
}

void BluezGattServerTransport::Call(QDBusMessage call, std::function<void(const QDBusMessage&)> onReply) {
    call.setAutoStartService(false); // bluetoothd is started by the system, never by a station's call
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, onReply = std::move(onReply)] {
        watcher->deleteLater();
        onReply(watcher->reply());
    });
}

void BluezGattServerTransport::FailLater(const QString& reason) {
    // Reported from the event loop, so that whoever called Open() is ready for the signal.
    QTimer::singleShot(0, this, [this, reason] { Fail(reason); });
}

void BluezGattServerTransport::Open() {
    if (m_serviceUuid.isEmpty()) {
        FailLater(QStringLiteral("The phone offers no Bluetooth service to connect to."));
        return;
    }
    if (!m_bus.isConnected()) {
        FailLater(kNoAdapter);
        return;
    }
    m_bluezWatcher.reset(new QDBusServiceWatcher(Bluez::kService, m_bus, QDBusServiceWatcher::WatchForUnregistration));
    connect(m_bluezWatcher.get(), &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { Fail(QStringLiteral("Bluetooth stopped during the session.")); });
    Call(QDBusMessage::createMethodCall(Bluez::kService, QStringLiteral("/"), Bluez::kObjectManager,
                                        QStringLiteral("GetManagedObjects")),
         [this](const QDBusMessage& reply) { OnManagedObjects(reply); });
}

void BluezGattServerTransport::OnManagedObjects(const QDBusMessage& reply) {
    if (m_done)
        return;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        Fail(kNoAdapter);
        return;
    }
    const auto adapter = FindAdapter(qdbus_cast<Bluez::ManagedObjects>(reply.arguments().constFirst()));
    if (!adapter) {
        Fail(kNoAdapter);
        return;
    }
    m_adapterPath = adapter->path;
    if (!adapter->powered) {
        Fail(QStringLiteral("The Bluetooth adapter is switched off."));
        return;
    }
    m_app.reset(new BluezGattApplication(m_bus, NextRoot(), m_serviceUuid, m_ident));
    if (!m_app->Exported()) {
        Fail(QStringLiteral("Bluetooth: the station could not offer its service on the bus."));
        return;
    }
    connect(m_app.get(), &BluezGattApplication::written, this, &BluezGattServerTransport::OnWritten);
    connect(m_app.get(), &BluezGattApplication::notifying, this, &BluezGattServerTransport::OnNotifying);
    // The service first, so that a phone that sees the advertisement finds it.
    Register(Bluez::kGattManager, m_app->ApplicationPath(), m_application,
             [this] { Register(Bluez::kAdvertisingManager, m_app->AdvertisementPath(), m_advertisement, [] {}); });
}

void BluezGattServerTransport::Register(const QString& manager, const QString& objectPath,
                                        std::unique_ptr<BluezRegistration>& handle, std::function<void()> then) {
    const bool application = manager == Bluez::kGattManager;
    const QString what = application ? QStringLiteral("Application") : QStringLiteral("Advertisement");
    QDBusMessage call =
        QDBusMessage::createMethodCall(Bluez::kService, m_adapterPath, manager, QStringLiteral("Register") + what);
    call << QVariant::fromValue(QDBusObjectPath(objectPath)) << QVariantMap();
    handle = std::make_unique<BluezRegistration>(m_bus, m_adapterPath, manager, QStringLiteral("Unregister") + what,
                                                 objectPath);
    Call(call, [this, &handle, then = std::move(then)](const QDBusMessage& reply) {
        if (m_done)
            return;
        if (reply.type() != QDBusMessage::ReplyMessage) {
            // Refused by bluetoothd itself; after a timeout it may still hold the registration.
            if (reply.errorName().startsWith(QStringLiteral("org.bluez.Error.")))
                handle->Dismiss();
            Fail(QStringLiteral("Bluetooth: ") + reply.errorMessage());
            return;
        }
        then();
    });
}

void BluezGattServerTransport::WatchDevice(const QString& devicePath) {
    m_devicePath = devicePath;
    m_bus.connect(Bluez::kService, m_devicePath, Bluez::kProperties, QStringLiteral("PropertiesChanged"), this,
                  SLOT(OnDeviceProperties(QString, QVariantMap, QStringList)));
}

void BluezGattServerTransport::OnDeviceProperties(const QString& interface, const QVariantMap& changed,
                                                  const QStringList&) {
    const auto connected = changed.constFind(QStringLiteral("Connected"));
    if (interface == Bluez::kDevice && connected != changed.constEnd() && !connected->toBool())
        Fail(kDisconnected);
}

void BluezGattServerTransport::OnWritten(Characteristic characteristic, const QByteArray& value,
                                         const QVariantMap& options) {
    if (m_done)
        return;
    const int mtu = options.value(QStringLiteral("mtu")).toInt();
    if (mtu > 0)
        m_mtu = mtu;
    const auto device = options.value(QStringLiteral("device")).value<QDBusObjectPath>().path();
    if (m_devicePath.isEmpty() && !device.isEmpty())
        WatchDevice(device);
    if (characteristic == Characteristic::State) {
        if (value == QByteArray(1, BleFraming::kStateEnd)) {
            Fail(QStringLiteral("The phone ended the session."));
        } else if (value == QByteArray(1, BleFraming::kStateStart) && !m_started) {
            m_started = true;
            emit connected();
        }
        return;
    }
    if (!FeedChunk(m_reassembler, value))
        Fail(QStringLiteral("The phone sent a broken message."));
}

void BluezGattServerTransport::OnNotifying(Characteristic characteristic, bool on) {
    // bluetoothd drops the subscription when the phone goes; without it nothing the station says arrives.
    if (!on && characteristic == Characteristic::Server2Client && m_started)
        Fail(kDisconnected);
}

void BluezGattServerTransport::Send(const QByteArray& message) {
    if (m_done || !m_app)
        return;
    for (const QByteArray& value : BleFraming::Chunk(message, m_mtu))
        m_app->Notify(Characteristic::Server2Client, value);
}

void BluezGattServerTransport::Close() {
    if (m_done)
        return;
    m_done = true;
    if (m_app && m_started)
        m_app->Notify(Characteristic::State, QByteArray(1, BleFraming::kStateEnd));
    Teardown();
}

void BluezGattServerTransport::Fail(const QString& reason) {
    if (m_done)
        return;
    m_done = true;
    Teardown();
    emit failed(reason);
}

void BluezGattServerTransport::Teardown() {
    if (!m_devicePath.isEmpty())
        m_bus.disconnect(Bluez::kService, m_devicePath, Bluez::kProperties, QStringLiteral("PropertiesChanged"), this,
                         SLOT(OnDeviceProperties(QString, QVariantMap, QStringList)));
    m_bluezWatcher.reset();
    m_advertisement.reset();
    m_application.reset();
    if (m_app)
        m_app->Unexport();
    m_app.reset();
}

} // namespace Mdl
