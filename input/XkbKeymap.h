#pragma once
// One keyboard layout compiled by libxkbcommon straight from the XKB data files, without a display, so
// the station can read a key by its position on that layout whatever layout the desktop has loaded.
// The only file that includes the libxkbcommon headers.

#include <cstdint>
#include <memory>
#include <string>

struct xkb_context;
struct xkb_keymap;

class XkbKeymap {
public:
    // The layout `layout` ("us") of the evdev rules, as the X server and Wayland number the keys; nullptr
    // when it cannot be compiled (no XKB data installed).
    static std::unique_ptr<XkbKeymap> Compile(const std::string& layout);

    // The character that the key with X key code `keycode` types under the X modifier state `xState`,
    // 0 when it types none. Only Shift, Caps Lock and Num Lock (Mod2) are looked at: Ctrl and Alt are the
    // caller's business. Shift+Tab is still a Tab.
    char32_t Character(std::uint32_t keycode, std::uint32_t xState) const;

private:
    struct Release {
        void operator()(xkb_context* context) const;
        void operator()(xkb_keymap* keymap) const;
    };
    // Only Compile builds one.
    struct Compiled {
        explicit Compiled() = default;
    };

public:
    XkbKeymap(Compiled, std::unique_ptr<xkb_context, Release> context, std::unique_ptr<xkb_keymap, Release> keymap);

private:
    char32_t CharacterAtLevel(std::uint32_t keycode, std::uint32_t modifiers) const;

    std::unique_ptr<xkb_context, Release> m_context;
    std::unique_ptr<xkb_keymap, Release> m_keymap;
};
