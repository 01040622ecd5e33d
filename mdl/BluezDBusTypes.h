#pragma once
// The D-Bus names and compound types of BlueZ's GATT server and advertising API that the station (and its
// tests' stand-in for bluetoothd) exchange. ManagedObjects is the answer of ObjectManager's
// GetManagedObjects: object path -> interface -> property -> value.

#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariantMap>

namespace Mdl::Bluez {

using InterfaceMap = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;

inline const QString kService = QStringLiteral("org.bluez");
inline const QString kAdapter = QStringLiteral("org.bluez.Adapter1");
inline const QString kDevice = QStringLiteral("org.bluez.Device1");
inline const QString kGattManager = QStringLiteral("org.bluez.GattManager1");
inline const QString kAdvertisingManager = QStringLiteral("org.bluez.LEAdvertisingManager1");
inline const QString kGattService = QStringLiteral("org.bluez.GattService1");
inline const QString kGattCharacteristic = QStringLiteral("org.bluez.GattCharacteristic1");
inline const QString kAdvertisement = QStringLiteral("org.bluez.LEAdvertisement1");
inline const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
inline const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// Makes ManagedObjects known to Qt's D-Bus marshalling; safe to call more than once.
void RegisterTypes();

} // namespace Mdl::Bluez

Q_DECLARE_METATYPE(Mdl::Bluez::InterfaceMap)
Q_DECLARE_METATYPE(Mdl::Bluez::ManagedObjects)
