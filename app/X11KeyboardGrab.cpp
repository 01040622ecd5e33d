#include "X11KeyboardGrab.h"

X11KeyboardGrab::~X11KeyboardGrab() { Release(); }

void X11KeyboardGrab::Grab(QWidget& window) {
    if (m_grabber == &window)
        return;
    Release();
    window.grabKeyboard();
    m_grabber = &window;
}

void X11KeyboardGrab::Release() {
    if (m_grabber)
        m_grabber->releaseKeyboard();
    m_grabber = nullptr;
}
