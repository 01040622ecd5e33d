// Every key a reader or a desktop can send, through the station's key path: each X key code (8-255) with
// each combination of Shift, Caps Lock, Ctrl and Num Lock, read by US key position ("Reader Layout" "us")
// and by the text of a desktop layout ("desktop", with a US and a German desktop). The expected result of
// each row (counted or not, the byte added to the swipe text, the quiet period) is the table in
// tests/data/input/reader_keys.tsv, recorded from the station's key path as it stood when the table was
// made; KESTRIN_RECORD_KEYS=<file> writes the table anew from the path as it is now.

#include "KeyTranslation.h"
#include "ReaderKeymap.h"

#include <QtGui/QInputDevice>
#include <QtGui/QKeyEvent>

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kShiftMask = 1u << 0;
constexpr std::uint32_t kLockMask = 1u << 1;
constexpr std::uint32_t kControlMask = 1u << 2;
constexpr std::uint32_t kMod2Mask = 1u << 4;

struct XkbDeleter {
    void operator()(xkb_context* c) const { xkb_context_unref(c); }
    void operator()(xkb_keymap* k) const { xkb_keymap_unref(k); }
    void operator()(xkb_state* s) const { xkb_state_unref(s); }
};

// What a desktop with layout `layout` reports for a key: Qt's key code and text, as Qt's X11 platform
// makes them from the key symbol (Ctrl turns a letter's text into its control character).
class Desktop {
public:
    explicit Desktop(const char* layout) {
        const xkb_rule_names names{"evdev", "pc105", layout, "", nullptr};
        m_keymap.reset(xkb_keymap_new_from_names(m_context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    }
    bool Ok() const { return m_keymap != nullptr; }

    QKeyEvent Event(std::uint32_t keycode, std::uint32_t xState, const QInputDevice& device, bool withCode) const {
        std::unique_ptr<xkb_state, XkbDeleter> state(xkb_state_new(m_keymap.get()));
        xkb_state_update_mask(state.get(), xState & kShiftMask, 0, xState & (kLockMask | kMod2Mask), 0, 0, 0);
        const xkb_keysym_t sym = xkb_state_key_get_one_sym(state.get(), keycode);
        const char32_t c = xkb_state_key_get_utf32(state.get(), keycode);
        const bool control = (xState & kControlMask) != 0;
        Qt::KeyboardModifiers modifiers;
        if (xState & kShiftMask)
            modifiers |= Qt::ShiftModifier;
        if (control)
            modifiers |= Qt::ControlModifier;
        QString text;
        if (c != 0) {
            const bool hasControlForm = (c >= U'@' && c <= U'_') || (c >= U'a' && c <= U'z');
            text =
                control && hasControlForm ? QString(QChar(static_cast<char16_t>(c & 0x1Fu))) : QString::fromUcs4(&c, 1);
        }
        return QKeyEvent(QEvent::KeyPress, QtKey(sym, c), modifiers, withCode ? keycode : 0, 0, xState, text, false, 1,
                         &device);
    }

private:
    static int QtKey(xkb_keysym_t sym, char32_t c) {
        switch (sym) {
        case XKB_KEY_Return:
            return Qt::Key_Return;
        case XKB_KEY_KP_Enter:
            return Qt::Key_Enter;
        case XKB_KEY_BackSpace:
            return Qt::Key_Backspace;
        case XKB_KEY_Tab:
            return Qt::Key_Tab;
        case XKB_KEY_ISO_Left_Tab:
            return Qt::Key_Backtab;
        case XKB_KEY_Escape:
            return Qt::Key_Escape;
        case XKB_KEY_Shift_L:
        case XKB_KEY_Shift_R:
            return Qt::Key_Shift;
        case XKB_KEY_Control_L:
        case XKB_KEY_Control_R:
            return Qt::Key_Control;
        case XKB_KEY_Alt_L:
        case XKB_KEY_Alt_R:
            return Qt::Key_Alt;
        case XKB_KEY_ISO_Level3_Shift:
            return Qt::Key_AltGr;
        case XKB_KEY_Super_L:
            return Qt::Key_Super_L;
        case XKB_KEY_Menu:
            return Qt::Key_Menu;
        case XKB_KEY_Caps_Lock:
            return Qt::Key_CapsLock;
        case XKB_KEY_Num_Lock:
            return Qt::Key_NumLock;
        case XKB_KEY_Delete:
        case XKB_KEY_KP_Delete:
            return Qt::Key_Delete;
        case XKB_KEY_Home:
        case XKB_KEY_KP_Home:
            return Qt::Key_Home;
        case XKB_KEY_Left:
        case XKB_KEY_KP_Left:
            return Qt::Key_Left;
        case XKB_KEY_Print:
            return Qt::Key_Print;
        default:
            break;
        }
        if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F24)
            return Qt::Key_F1 + static_cast<int>(sym - XKB_KEY_F1);
        if (c >= U'a' && c <= U'z')
            return Qt::Key_A + static_cast<int>(c - U'a');
        if (c > 0x20 && c != 0x7F)
            return static_cast<int>(QChar::toUpper(c));
        if (c == U' ')
            return Qt::Key_Space;
        return Qt::Key_unknown;
    }

    std::unique_ptr<xkb_context, XkbDeleter> m_context{xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES)};
    std::unique_ptr<xkb_keymap, XkbDeleter> m_keymap;
};

struct Row {
    std::string keymap; // "us" or "desktop"
    std::string desktop;
    std::uint32_t keycode;
    std::uint32_t xState;
};

// One row's result in the table's words: "-" for an ignored key, else the byte added ("none" for a
// counted key that adds nothing) and the quiet period.
std::string Result(bool counted, std::optional<char> character, int quietMs) {
    if (!counted)
        return "-";
    char buffer[32];
    if (character)
        std::snprintf(buffer, sizeof buffer, "%02x %d", static_cast<unsigned char>(*character), quietMs);
    else
        std::snprintf(buffer, sizeof buffer, "none %d", quietMs);
    return buffer;
}

std::string ThroughKeyPath(const ReaderKeymap& keymap, const QKeyEvent& event) {
    const TranslatedKey key = TranslateKey(keymap.Key(event));
    return Result(key.counted, key.character, key.quietPeriodMs);
}

std::string RowKey(const Row& row) {
    std::ostringstream out;
    out << row.keymap << ' ' << row.desktop << ' ' << row.keycode << ' ' << row.xState;
    return out.str();
}

std::vector<std::pair<std::string, std::string>> EveryRow() {
    const QInputDevice device(QStringLiteral("reader"), 1, QInputDevice::DeviceType::Keyboard);
    const ReaderKeymap byPosition(ReaderKeymap::Source::UsPositions);
    const ReaderKeymap byText(ReaderKeymap::Source::DesktopLayout);
    std::vector<std::pair<std::string, std::string>> rows;
    for (const char* desktopName : {"us", "de"}) {
        const Desktop desktop(desktopName);
        if (!desktop.Ok())
            ADD_FAILURE() << "no XKB layout " << desktopName;
        for (std::uint32_t keycode = 8; keycode <= 255; ++keycode) {
            for (std::uint32_t bits = 0; bits < 16; ++bits) {
                const std::uint32_t xState = (bits & 1 ? kShiftMask : 0) | (bits & 2 ? kLockMask : 0) |
                                             (bits & 4 ? kControlMask : 0) | (bits & 8 ? kMod2Mask : 0);
                // By position, only the US keymap decides, so one desktop is enough there.
                if (std::string(desktopName) == "us") {
                    const Row row{"us", desktopName, keycode, xState};
                    rows.emplace_back(RowKey(row),
                                      ThroughKeyPath(byPosition, desktop.Event(keycode, xState, device, true)));
                }
                const Row row{"desktop", desktopName, keycode, xState};
                rows.emplace_back(RowKey(row), ThroughKeyPath(byText, desktop.Event(keycode, xState, device, true)));
            }
        }
    }
    return rows;
}

const char* const kTable = KESTRIN_TEST_DATA "/input/reader_keys.tsv";

TEST(ReaderKeyPath, EveryKeyGivesTheRecordedByte) {
    const auto rows = EveryRow();
    if (const char* record = std::getenv("KESTRIN_RECORD_KEYS")) {
        std::ofstream out(record);
        for (const auto& [key, result] : rows)
            out << key << '\t' << result << '\n';
        GTEST_SKIP() << "recorded " << rows.size() << " rows into " << record;
    }
    std::ifstream in(kTable);
    ASSERT_TRUE(in) << kTable;
    std::string line;
    std::size_t i = 0;
    int mismatches = 0;
    while (std::getline(in, line)) {
        ASSERT_LT(i, rows.size()) << "the table has more rows than the path gives";
        const std::string got = rows[i].first + '\t' + rows[i].second;
        if (got != line && ++mismatches <= 20)
            ADD_FAILURE() << "expected " << line << "\n     got " << got;
        ++i;
    }
    EXPECT_EQ(i, rows.size());
    EXPECT_EQ(mismatches, 0);
}

} // namespace
