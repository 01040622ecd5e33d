#include "KeyRoute.h"

#include "KeyboardLock.h"

#include <QKeyEvent>

KeyRoute RouteKey(const QKeyEvent& event, const KeyboardLock& lock, bool ontopChecked) {
    if (lock.ShouldSwallow(event, ontopChecked))
        return KeyRoute::Swallow;
    const bool press = event.type() == QEvent::KeyPress;
    if (event.modifiers().testFlag(Qt::AltModifier)) {
        if (press && event.key() == Qt::Key_F4)
            return KeyRoute::CloseWindow;
        return KeyRoute::System;
    }
    if (!press)
        return KeyRoute::Ignore;
    if (event.modifiers() != Qt::NoModifier)
        return KeyRoute::Feed;
    switch (event.key()) {
    case Qt::Key_F11:
        return KeyRoute::FullScreen;
    case Qt::Key_F9:
        return KeyRoute::VenueMenu;
    case Qt::Key_F7:
        return event.isAutoRepeat() ? KeyRoute::Ignore : KeyRoute::CountIn;
    case Qt::Key_F8:
        return event.isAutoRepeat() ? KeyRoute::Ignore : KeyRoute::CountOut;
    default:
        return KeyRoute::Feed;
    }
}
