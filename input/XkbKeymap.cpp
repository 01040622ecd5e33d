#include "XkbKeymap.h"

#include <xkbcommon/xkbcommon.h>

#include <utility>

namespace {

// xkbcommon numbers the eight real modifiers as the X protocol does, so X state bits are its masks.
constexpr std::uint32_t kShiftMask = 1u << 0;
constexpr std::uint32_t kLockMask = 1u << 1;
constexpr std::uint32_t kMod2Mask = 1u << 4; // Num Lock in every layout of the evdev rules

struct StateRelease {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};

} // namespace

void XkbKeymap::Release::operator()(xkb_context* context) const {
    xkb_context_unref(context);
}

void XkbKeymap::Release::operator()(xkb_keymap* keymap) const {
    xkb_keymap_unref(keymap);
}

XkbKeymap::XkbKeymap(Compiled, std::unique_ptr<xkb_context, Release> context,
                     std::unique_ptr<xkb_keymap, Release> keymap)
    : m_context(std::move(context)), m_keymap(std::move(keymap)) {}

std::unique_ptr<XkbKeymap> XkbKeymap::Compile(const std::string& layout) {
    // XKB_DEFAULT_LAYOUT and its kind must not turn the reader's fixed layout into the desktop's.
    std::unique_ptr<xkb_context, Release> context(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    if (!context)
        return nullptr;
    const xkb_rule_names names{"evdev", "pc105", layout.c_str(), "", nullptr};
    std::unique_ptr<xkb_keymap, Release> keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return nullptr;
    return std::make_unique<XkbKeymap>(Compiled(), std::move(context), std::move(keymap));
}

char32_t XkbKeymap::CharacterAtLevel(std::uint32_t keycode, std::uint32_t modifiers) const {
    const std::unique_ptr<xkb_state, StateRelease> state(xkb_state_new(m_keymap.get()));
    if (!state)
        return 0;
    xkb_state_update_mask(state.get(), modifiers & kShiftMask, 0, modifiers & (kLockMask | kMod2Mask), 0, 0, 0);
    return xkb_state_key_get_utf32(state.get(), keycode);
}

char32_t XkbKeymap::Character(std::uint32_t keycode, std::uint32_t xState) const {
    const char32_t c = CharacterAtLevel(keycode, xState);
    if (c != 0 || (xState & kShiftMask) == 0)
        return c;
    // Shift+Tab is ISO_Left_Tab, which has no character; the keyboard service of Windows types a Tab.
    const char32_t unshifted = CharacterAtLevel(keycode, xState & ~kShiftMask);
    return unshifted == U'\t' ? unshifted : 0;
}
