#pragma once
// A registration with one of bluetoothd's managers on an adapter (a GATT application with GattManager1,
// an advertisement with LEAdvertisingManager1), undone when the handle goes: the matching Unregister
// call is sent without waiting for its answer, so that ending a session never blocks on bluetoothd.

#include <QDBusConnection>
#include <QString>

namespace Mdl {

class BluezRegistration {
public:
    // `unregisterMethod` of `managerInterface` at `adapterPath` is called with `objectPath` at the end.
    BluezRegistration(QDBusConnection bus, QString adapterPath, QString managerInterface, QString unregisterMethod,
                      QString objectPath);
    ~BluezRegistration();
    BluezRegistration(const BluezRegistration&) = delete;
    BluezRegistration& operator=(const BluezRegistration&) = delete;

private:
    QDBusConnection m_bus;
    QString m_adapterPath;
    QString m_managerInterface;
    QString m_unregisterMethod;
    QString m_objectPath;
};

} // namespace Mdl
