#include "X11CursorConfinement.h"

#include "Guarded.h"
#include "StationTrace.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QWidget>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// Barrier coordinates travel as signed 16-bit numbers. A negative end makes a barrier endless on that
// side; with both ends negative (and different, or the barrier would be a point) it is a whole line.
constexpr int kEndless = -1;
constexpr int kEndlessToo = -2;
constexpr int kLargestCoordinate = 0x7FFF;
constexpr int kDeepestFrame = 16; // window managers nest the client a level or two below the root

std::uint16_t Wire(int v) {
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
}

std::uint16_t Fixed(int v) {
    return Wire(std::clamp(v, 0, kLargestCoordinate));
}

bool HasBarriers(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!ext || !ext->present)
        return false;
    const Reply<xcb_xfixes_query_version_reply_t> version(
        xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
    return version && version->major_version >= 5;
}

std::uint32_t FirstRoot(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.rem > 0 ? it.data->root : 0;
}

// The child of the root that holds `window`: the window manager's frame, or the window itself when no
// window manager has framed it (yet). 0 when the window is gone.
std::uint32_t TopLevelOf(xcb_connection_t* c, std::uint32_t window) {
    for (int depth = 0; depth < kDeepestFrame; ++depth) {
        const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        if (!tree)
            return 0;
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            return window;
        window = tree->parent;
    }
    return window;
}

// The rectangle `window` covers on the root, its border included.
QRect OnRoot(xcb_connection_t* c, std::uint32_t root, std::uint32_t window) {
    const Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const Reply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr));
    if (!geometry || !origin)
        return QRect();
    const int border = geometry->border_width;
    return QRect(origin->dst_x - border, origin->dst_y - border, geometry->width + 2 * border,
                 geometry->height + 2 * border);
}

// Whether `event` tells of a change of the station window's place or of its frame's (moved, resized,
// reparented into another frame).
bool MovesFrame(const xcb_generic_event_t& event, std::uint32_t window, std::uint32_t frame) {
    switch (event.response_type & 0x7F) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        return configure.window == window || configure.window == frame;
    }
    case XCB_REPARENT_NOTIFY:
        return reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window == window;
    default:
        return false;
    }
}

std::string Describe(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}
} // namespace

std::unique_ptr<ICursorConfinement> X11CursorConfinement::Create(xcb_connection_t* connection) {
    if (!connection || !HasBarriers(connection))
        return nullptr;
    const std::uint32_t root = FirstRoot(connection);
    if (root == 0)
        return nullptr;
    return std::make_unique<X11CursorConfinement>(connection, root);
}

X11CursorConfinement::X11CursorConfinement(xcb_connection_t* connection, std::uint32_t root)
    : m_connection(connection), m_root(root) {
    if (QCoreApplication* const app = QCoreApplication::instance())
        app->installNativeEventFilter(this);
}

X11CursorConfinement::~X11CursorConfinement() {
    Guarded("cursor confinement", [this] { Release(); });
}

void X11CursorConfinement::ConfineTo(const QWidget& window, const QRect& alsoReachable) {
    m_window = static_cast<std::uint32_t>(window.winId());
    m_alsoReachable = alsoReachable;
    Follow();
}

void X11CursorConfinement::Release() {
    m_window = 0;
    m_frame = 0;
    if (!m_fenced)
        return;
    DropBarriers(m_barriers);
    xcb_flush(m_connection);
    m_fenced = false;
    m_fence = QRect();
    StationTrace::Line("cursor released");
}

bool X11CursorConfinement::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (m_window == 0 || eventType != "xcb_generic_event_t")
        return false;
    if (MovesFrame(*static_cast<const xcb_generic_event_t*>(message), m_window, m_frame))
        Guarded("cursor confinement", [this] { Follow(); });
    return false; // Qt handles every event as usual
}

// Fences the frame the window has now, and watches that frame so that its next change comes here too.
void X11CursorConfinement::Follow() {
    if (m_window == 0)
        return;
    const std::uint32_t frame = TopLevelOf(m_connection, m_window);
    if (frame == 0)
        return;
    if (frame != m_frame)
        Watch(frame); // before its geometry is read, so no change of it can fall in between
    Fence(FenceFor(frame));
}

void X11CursorConfinement::Watch(std::uint32_t frame) {
    m_frame = frame;
    // The station window's own events are Qt's to choose; only a frame of the window manager's gets a
    // selection of ours (our selection on a window of Qt's would replace Qt's).
    if (frame == m_window)
        return;
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    // Checked: a frame destroyed meanwhile answers with an error that is ours to drop, not Qt's to print.
    std::free(xcb_request_check(m_connection,
                                xcb_change_window_attributes_checked(m_connection, frame, XCB_CW_EVENT_MASK, &mask)));
}

QRect X11CursorConfinement::FenceFor(std::uint32_t frame) const {
    // A frame being built can be smaller than the window it is to hold (window managers create it 1x1 and
    // size it afterwards); the fence never leaves out the window itself.
    const QRect outer =
        OnRoot(m_connection, m_root, frame).united(OnRoot(m_connection, m_root, m_window)).united(m_alsoReachable);
    // Off the screen there is nothing to fence, and barriers cannot be placed at negative coordinates.
    return outer.intersected(OnRoot(m_connection, m_root, m_root));
}

void X11CursorConfinement::Fence(const QRect& fence) {
    if (m_fenced && fence == m_fence)
        return;
    if (fence.isEmpty()) {
        StationTrace::Line("cursor not fenced: the frame is off the screen");
        return;
    }
    WarpInside(fence);
    // The new fence goes up before the old one comes down, so the pointer is never without one.
    std::array<std::uint32_t, 4> raised{};
    if (!RaiseBarriers(fence, raised)) {
        DropBarriers(raised);
        xcb_flush(m_connection);
        StationTrace::Line("cursor not fenced: the X server refused a barrier for " + Describe(fence));
        if (!m_refusalReported)
            std::fprintf(stderr, "kestrin: the X server refused a pointer barrier: the cursor is not fenced\n");
        m_refusalReported = true;
        return;
    }
    if (m_fenced)
        DropBarriers(m_barriers);
    xcb_flush(m_connection);
    m_barriers = raised;
    m_fence = fence;
    m_fenced = true;
    StationTrace::Line("cursor fenced to " + Describe(fence));
}

bool X11CursorConfinement::RaiseBarriers(const QRect& fence, std::array<std::uint32_t, 4>& barriers) {
    // A barrier at x = b keeps the pointer on the side it is on: the left one at the fence's first column,
    // the right one just past its last; likewise for rows. Directions 0: no side may be crossed.
    const int left = fence.left();
    const int top = fence.top();
    const int right = fence.left() + fence.width();
    const int bottom = fence.top() + fence.height();
    const std::array<std::array<std::uint16_t, 4>, 4> lines{{
        {Fixed(left), Wire(kEndless), Fixed(left), Wire(kEndlessToo)},
        {Fixed(right), Wire(kEndless), Fixed(right), Wire(kEndlessToo)},
        {Wire(kEndless), Fixed(top), Wire(kEndlessToo), Fixed(top)},
        {Wire(kEndless), Fixed(bottom), Wire(kEndlessToo), Fixed(bottom)},
    }};
    std::array<xcb_void_cookie_t, 4> cookies{};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        barriers[i] = xcb_generate_id(m_connection);
        cookies[i] = xcb_xfixes_create_pointer_barrier_checked(m_connection, barriers[i], m_root, lines[i][0],
                                                               lines[i][1], lines[i][2], lines[i][3], 0, 0, nullptr);
    }
    bool all = true;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        xcb_generic_error_t* const error = xcb_request_check(m_connection, cookies[i]);
        if (!error)
            continue;
        std::free(error);
        barriers[i] = 0;
        all = false;
    }
    return all;
}

void X11CursorConfinement::DropBarriers(std::array<std::uint32_t, 4>& barriers) {
    for (std::uint32_t& barrier : barriers) {
        if (barrier != 0)
            xcb_xfixes_delete_pointer_barrier(m_connection, barrier);
        barrier = 0;
    }
}

void X11CursorConfinement::WarpInside(const QRect& fence) {
    const Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
    if (pointer && fence.contains(pointer->root_x, pointer->root_y))
        return;
    const QPoint centre = fence.center();
    xcb_warp_pointer(m_connection, XCB_NONE, m_root, 0, 0, 0, 0, static_cast<std::int16_t>(centre.x()),
                     static_cast<std::int16_t>(centre.y()));
}
