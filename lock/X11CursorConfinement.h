#pragma once
// Cursor confinement on X11 with XFixes pointer barriers (XFixes 5).
//
// What is fenced: the window manager's frame around the station window, read from the X server's window
// tree each time the station confines and again whenever that frame or the window is reconfigured or
// reparented. Qt's frameGeometry() cannot serve: Qt reads the frame once, and when that happens while the
// window manager is still framing the window (no frame yet, or a frame still 1x1) it keeps the wrong
// rectangle until the window moves, so a fence built on it may hold nothing at all.
//
// How: four barriers that are endless lines through the frame's edges, not segments along its sides.
// The X server decides whether a motion crosses a barrier from the point where the motion meets the
// barrier's line, and computes that point mirrored about the motion's start (Xi/xibarriers.c,
// barrier_is_blocking). A diagonal motion that crosses a side near a corner is then judged to pass beyond
// the end of that side's barrier and goes through; a line has no end to pass. The pointer is warped
// inside before the fence goes up, or it would be fenced out. Barriers stop relative motion only;
// absolute devices and warps pass them, which is the limit of what a client can do. The barriers belong
// to this object and go with it.

#include "ICursorConfinement.h"

#include <QAbstractNativeEventFilter>
#include <QRect>

#include <array>
#include <cstdint>
#include <memory>

struct xcb_connection_t;

class X11CursorConfinement final : public ICursorConfinement, private QAbstractNativeEventFilter {
public:
    // Null when the X connection lacks XFixes 5 (no barriers): the caller falls back to no confinement.
    static std::unique_ptr<ICursorConfinement> Create(xcb_connection_t* connection);

    // Use Create(); `root` is the root window the barriers are drawn on.
    X11CursorConfinement(xcb_connection_t* connection, std::uint32_t root);
    ~X11CursorConfinement() override;
    X11CursorConfinement(const X11CursorConfinement&) = delete;
    X11CursorConfinement& operator=(const X11CursorConfinement&) = delete;

    void ConfineTo(const QWidget& window, const QRect& alsoReachable) override;
    void Release() override;
    bool IsConfined() const override { return m_fenced; }

private:
    // Sees the X events Qt reads for the station window and for the frame this object watches.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    void Follow();
    void Watch(std::uint32_t frame);
    QRect FenceFor(std::uint32_t frame) const;
    void Fence(const QRect& fence);
    bool RaiseBarriers(const QRect& fence, std::array<std::uint32_t, 4>& barriers);
    void DropBarriers(std::array<std::uint32_t, 4>& barriers);
    void WarpInside(const QRect& fence);

    xcb_connection_t* m_connection;
    std::uint32_t m_root;
    std::uint32_t m_window = 0; // the station window being followed; 0 while released
    std::uint32_t m_frame = 0;  // its top-level ancestor, the window manager's frame
    std::array<std::uint32_t, 4> m_barriers{};
    QRect m_alsoReachable; // in root coordinates
    QRect m_fence;
    bool m_fenced = false;
    bool m_refusalReported = false; // said once on standard error, as the station lock fails open
};
