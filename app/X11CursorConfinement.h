#pragma once
// Cursor confinement on X11 with XFixes pointer barriers (XFixes 5): four barriers on the sides of the
// window's frame rectangle. The pointer is warped inside before the fence goes up, or it would be fenced
// out. Barriers stop relative motion only; absolute devices and warps pass them, which is the limit of
// what a client can do. The barriers belong to this object and go with it.

#include "ICursorConfinement.h"

#include <array>
#include <cstdint>
#include <memory>

struct xcb_connection_t;

class X11CursorConfinement final : public ICursorConfinement {
public:
    // Null when the X connection lacks XFixes 5 (no barriers): the caller falls back to no confinement.
    static std::unique_ptr<ICursorConfinement> Create(xcb_connection_t* connection);

    // Use Create(); `root` is the root window the barriers are drawn on.
    X11CursorConfinement(xcb_connection_t* connection, std::uint32_t root);
    ~X11CursorConfinement() override;
    X11CursorConfinement(const X11CursorConfinement&) = delete;
    X11CursorConfinement& operator=(const X11CursorConfinement&) = delete;

    void ConfineTo(const QRect& frame) override;
    void Release() override;
    bool IsConfined() const override { return m_confined; }

private:
    void WarpInside(const QRect& frame);

    xcb_connection_t* m_connection;
    std::uint32_t m_root;
    std::array<std::uint32_t, 4> m_barriers{};
    QRect m_frame;
    bool m_confined = false;
};
