#include "X11CursorConfinement.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>

namespace {
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// Barrier ends are unsigned 16-bit screen coordinates; a frame partly off the screen is cut at its edge.
std::uint16_t Coordinate(int v) {
    return static_cast<std::uint16_t>(std::clamp(v, 0, 0xFFFF));
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
    : m_connection(connection), m_root(root) {}

X11CursorConfinement::~X11CursorConfinement() {
    Release();
}

void X11CursorConfinement::ConfineTo(const QRect& frame) {
    if (frame.isEmpty())
        return;
    if (m_confined && frame == m_frame)
        return;
    Release();
    WarpInside(frame);

    // A barrier at x = b keeps the pointer on the side it is on: the left one at the frame's first column,
    // the right one just past its last; likewise for rows. Directions 0: no side may cross.
    const int left = frame.left();
    const int top = frame.top();
    const int right = frame.left() + frame.width();
    const int bottom = frame.top() + frame.height();
    const std::array<std::array<int, 4>, 4> lines{{
        {left, top, left, bottom},
        {right, top, right, bottom},
        {left, top, right, top},
        {left, bottom, right, bottom},
    }};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        m_barriers[i] = xcb_generate_id(m_connection);
        xcb_xfixes_create_pointer_barrier(m_connection, m_barriers[i], m_root, Coordinate(lines[i][0]),
                                          Coordinate(lines[i][1]), Coordinate(lines[i][2]), Coordinate(lines[i][3]), 0,
                                          0, nullptr);
    }
    xcb_flush(m_connection);
    m_frame = frame;
    m_confined = true;
}

void X11CursorConfinement::Release() {
    if (!m_confined)
        return;
    for (std::uint32_t& barrier : m_barriers) {
        xcb_xfixes_delete_pointer_barrier(m_connection, barrier);
        barrier = 0;
    }
    xcb_flush(m_connection);
    m_confined = false;
    m_frame = QRect();
}

void X11CursorConfinement::WarpInside(const QRect& frame) {
    const Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
    if (pointer && frame.contains(pointer->root_x, pointer->root_y))
        return;
    const QPoint centre = frame.center();
    xcb_warp_pointer(m_connection, XCB_NONE, m_root, 0, 0, 0, 0, static_cast<std::int16_t>(centre.x()),
                     static_cast<std::int16_t>(centre.y()));
}
