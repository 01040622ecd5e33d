#pragma once
// Cursor confinement for platforms that cannot confine a client's pointer (Wayland, offscreen).

#include "ICursorConfinement.h"

class NullCursorConfinement final : public ICursorConfinement {
public:
    void ConfineTo(const QWidget&, const QRect&) override {}
    void Release() override {}
    bool IsConfined() const override { return false; }
};
