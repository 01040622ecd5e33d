#include "KestrinResources.h"

// Q_INIT_RESOURCE declares a function of the global namespace, so it must not be called from inside one.
static void RegisterKestrinQrc() {
    Q_INIT_RESOURCE(kestrin);
}

void InitKestrinResources() {
    static const bool registered = [] {
        RegisterKestrinQrc();
        return true;
    }();
    (void)registered;
}

QIcon StationIcon() {
    InitKestrinResources();
    QIcon icon;
    icon.addFile(Resources::kStationIconSmall);
    icon.addFile(Resources::kStationIcon);
    icon.addFile(Resources::kStationIconLarge);
    return icon;
}
