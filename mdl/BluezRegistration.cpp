#include "BluezRegistration.h"

#include "BluezDBusTypes.h"

#include <QDBusMessage>
#include <QDBusObjectPath>

#include <utility>

namespace Mdl {

BluezRegistration::BluezRegistration(QDBusConnection bus, QString adapterPath, QString managerInterface,
                                     QString unregisterMethod, QString objectPath)
    : m_bus(std::move(bus)), m_adapterPath(std::move(adapterPath)), m_managerInterface(std::move(managerInterface)),
      m_unregisterMethod(std::move(unregisterMethod)), m_objectPath(std::move(objectPath)) {}

BluezRegistration::~BluezRegistration() {
    if (m_dismissed)
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(Bluez::kService, m_adapterPath, m_managerInterface, m_unregisterMethod);
    call << QVariant::fromValue(QDBusObjectPath(m_objectPath));
    call.setAutoStartService(false);
    m_bus.send(call);
}

} // namespace Mdl
