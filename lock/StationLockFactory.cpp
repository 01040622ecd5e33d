#include "StationLockFactory.h"

#include "NullCursorConfinement.h"
#include "NullKeyboardGrab.h"
#include "X11CursorConfinement.h"
#include "X11KeyboardGrab.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdio>

namespace {
void SayOnce(const char* what) {
    static bool said = false;
    if (said)
        return;
    said = true;
    std::fprintf(stderr, "kestrin: %s\n", what);
}

xcb_connection_t* X11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
} // namespace

StationLockParts CreateStationLockParts() {
    StationLockParts parts;
    xcb_connection_t* const connection = X11Connection();
    if (!connection) {
        SayOnce("no X11 display: the station runs without the lock (cursor and task-switching keys stay free)");
        parts.confinement = std::make_unique<NullCursorConfinement>();
        parts.keyboardGrab = std::make_unique<NullKeyboardGrab>();
        return parts;
    }
    parts.keyboardGrab = std::make_unique<X11KeyboardGrab>();
    parts.confinement = X11CursorConfinement::Create(connection);
    if (!parts.confinement) {
        SayOnce("the X server has no XFixes pointer barriers: the station runs without cursor confinement");
        parts.confinement = std::make_unique<NullCursorConfinement>();
    }
    return parts;
}
