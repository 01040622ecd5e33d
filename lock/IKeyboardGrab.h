#pragma once
// The other half of the station lock: an active keyboard grab keeps Alt+Tab, Alt+Esc and the other
// task-switching combinations from the window manager, so they reach the station (which drops them)
// instead of switching away from it.

class QWidget;

class IKeyboardGrab {
public:
    virtual ~IKeyboardGrab() = default;
    // False when the server refused the grab (another client holds one for a moment, the window is not
    // mapped yet); the caller tries again later.
    virtual bool Grab(QWidget& window) = 0;
    virtual void Release() = 0;
};
