#pragma once
// Half of the station lock: keeping the mouse cursor inside the station window's frame while "Always On
// Top" is checked. The X11 implementation fences the frame with pointer barriers; elsewhere nothing can
// confine a client's pointer and the null implementation stands in.

#include <QRect>

class ICursorConfinement {
public:
    virtual ~ICursorConfinement() = default;
    // Confines the cursor to `frame` (screen pixels, frame included). Confining to the rectangle already
    // held does nothing, so it may be called after every paint.
    virtual void ConfineTo(const QRect& frame) = 0;
    // Makes the whole screen reachable again; harmless when nothing is confined.
    virtual void Release() = 0;
    virtual bool IsConfined() const = 0;
};
