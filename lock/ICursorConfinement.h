#pragma once
// Half of the station lock: keeping the mouse cursor inside the station window's frame while "Always On
// Top" is checked. The X11 implementation fences the frame with pointer barriers; elsewhere nothing can
// confine a client's pointer and the null implementation stands in.

class QRect;
class QWidget;

class ICursorConfinement {
public:
    virtual ~ICursorConfinement() = default;
    // Confines the cursor to `window`'s frame (the window manager's decoration included, in screen
    // pixels) united with `alsoReachable` (a dialog of the station that lies partly outside it; empty for
    // none), and keeps it there as the frame moves or is resized, until Release. Confining again to the
    // fence already held does nothing, so it may be called after every paint.
    virtual void ConfineTo(const QWidget& window, const QRect& alsoReachable) = 0;
    // Makes the whole screen reachable again; harmless when nothing is confined.
    virtual void Release() = 0;
    virtual bool IsConfined() const = 0;
};
