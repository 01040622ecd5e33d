#pragma once
// The keyboard grab on X11. QWidget::grabKeyboard is used rather than xcb_grab_keyboard: Qt keeps its
// own grab across the menu pop-ups of the station, a bare X grab is lost after the first one.

#include "IKeyboardGrab.h"

#include <QPointer>
#include <QWidget>

class X11KeyboardGrab final : public IKeyboardGrab {
public:
    ~X11KeyboardGrab() override;
    bool Grab(QWidget& window) override;
    void Release() override;

private:
    QPointer<QWidget> m_grabber;
};
