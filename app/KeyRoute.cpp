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
    return press ? KeyRoute::Feed : KeyRoute::Ignore;
}
