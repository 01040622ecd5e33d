#include "BluezDBusTypes.h"

#include <QDBusMetaType>

namespace Mdl::Bluez {

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<InterfaceMap>();
        qDBusRegisterMetaType<ManagedObjects>();
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace Mdl::Bluez
