#pragma once
// A registration with one of bluetoothd's managers on an adapter (a GATT application with GattManager1,
// an advertisement with LEAdvertisingManager1), undone when the handle goes: the matching Unregister
// call is sent without waiting for its answer, so that ending a session never blocks on bluetoothd.
// The handle is made when the Register call goes out, not when it is answered: bluetoothd keeps the
// registration from the moment it reads the call, so a session that ends while the answer is still on
// its way must undo it as well. Only a refused registration is dismissed without an Unregister.

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

    // bluetoothd refused the registration: there is nothing to undo.
    void Dismiss() { m_dismissed = true; }

private:
    QDBusConnection m_bus;
    QString m_adapterPath;
    QString m_managerInterface;
    QString m_unregisterMethod;
    QString m_objectPath;
    bool m_dismissed = false;
};

} // namespace Mdl
