#pragma once
// Picks the station lock's implementations for the platform the station runs on: X11 barriers and the
// keyboard grab under xcb, null ones elsewhere (Wayland, offscreen), in which case it says once on
// standard error that the station runs without the lock.

#include "ICursorConfinement.h"
#include "IKeyboardGrab.h"

#include <memory>

struct StationLockParts {
    std::unique_ptr<ICursorConfinement> confinement;
    std::unique_ptr<IKeyboardGrab> keyboardGrab;
};

StationLockParts CreateStationLockParts();
