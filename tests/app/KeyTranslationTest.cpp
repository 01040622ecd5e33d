#include "KeyTranslation.h"

#include "Card.h"
#include "FakeScanHost.h"
#include "QtKeyInput.h"
#include "ReaderKeymap.h"
#include "ScanCycle.h"
#include "UsKeyboardLayout.h"

#include <QtGui/QInputDevice>
#include <QtGui/QKeyEvent>

#include "RowName.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A layout that answers whatever the row says, and remembers how it was asked.
class ScriptedLayout final : public IKeyboardLayout {
public:
    bool readable = true;
    std::uint32_t unshifted = 0;
    int produced = 0;
    unsigned char firstByte = 0;
    bool shift = false;
    mutable std::uint32_t askedKey = 0;
    mutable std::uint16_t askedScanCode = 0;

    bool ReadKeyboardState() override { return readable; }
    std::uint32_t MapVirtualKeyToChar(std::uint16_t) const override { return unshifted; }
    int ToAscii(std::uint32_t key, std::uint16_t scanCode, unsigned char out[2]) const override {
        askedKey = key;
        askedScanCode = scanCode;
        out[0] = firstByte;
        out[1] = 'Z';
        return produced;
    }
    bool IsShiftDown() const override { return shift; }
    bool IsControlDown() const override { return false; }
};

struct ScriptCase {
    const char* name;
    std::uint16_t virtualKey;
    bool readable;
    std::uint32_t unshifted;
    int produced;
    unsigned char firstByte;
    bool shift;
    bool counted;
    int appended; // -1: nothing
    int periodMs;
};

void PrintTo(const ScriptCase& row, std::ostream* os) {
    *os << row.name;
}

class TranslateKeyScripted : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(TranslateKeyScripted, FollowsTheLayoutsAnswers) {
    const ScriptCase& c = GetParam();
    ScriptedLayout layout;
    layout.readable = c.readable;
    layout.unshifted = c.unshifted;
    layout.produced = c.produced;
    layout.firstByte = c.firstByte;
    layout.shift = c.shift;
    const TranslatedKey key = TranslateKey(c.virtualKey, layout);
    EXPECT_EQ(key.counted, c.counted);
    if (c.appended < 0) {
        EXPECT_FALSE(key.character.has_value());
    } else {
        EXPECT_EQ(key.character, std::optional<char>(static_cast<char>(c.appended)));
    }
    if (c.counted) {
        EXPECT_EQ(key.quietPeriodMs, c.periodMs);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslateKeyScripted,
    ::testing::Values(
        ScriptCase{"EnterAddsNothingWithoutAskingTheLayout", 13, false, 0, 0, 0, false, true, -1, 500},
        ScriptCase{"UnreadableKeyboardStateIgnored", 'A', false, 'A', 1, 'a', false, false, -1, 0},
        ScriptCase{"KeyWithoutCharacterIgnored", 0x10, true, 0, 1, 'a', false, false, -1, 0},
        ScriptCase{"TranslatedCharacter", 'A', true, 'A', 1, 'a', false, true, 'a', 1000},
        ScriptCase{"TwoCharactersGiveTheFirst", 'A', true, 'A', 2, 'x', false, true, 'x', 1000},
        ScriptCase{"DeadKeyGivesTheFirst", 0xDE, true, '\'', -1, '^', false, true, '^', 1000},
        ScriptCase{"GraveWhateverTheLayoutSays", 0xC0, true, 0x60, 1, '0', false, true, 0x60, 1000},
        ScriptCase{"GraveWithShiftAndTranslation", 0xC0, true, 0x60, 1, '0', true, true, 0x60, 1000},
        ScriptCase{"UntranslatedWithShiftUsesTheTable", 0xBA, true, ';', 0, 0, true, true, ':', 1000},
        ScriptCase{"GraveUntranslatedWithShiftIsTilde", 0xC0, true, 0x60, 0, 0, true, true, '~', 1000},
        ScriptCase{"UntranslatedWithShiftOutsideTableCounts", 0x6A, true, '*', 0, 0, true, true, -1, 1000},
        ScriptCase{"UntranslatedWithoutShiftAppendsItself", 0xBA, true, ';', 0, 0, false, true, ';', 1000},
        ScriptCase{"OnlyTheLowByteIsTheCharacter", 0xBA, true, 0x8000003B, 0, 0, false, true, ';', 1000}),
    RowName());

TEST(TranslateKey, AsksForTheUnshiftedCharacterInPlaceOfTheKey) {
    ScriptedLayout layout;
    layout.unshifted = '/';
    TranslateKey(0xBF, layout);
    EXPECT_EQ(layout.askedKey, static_cast<std::uint32_t>('/'));
    EXPECT_EQ(layout.askedScanCode, 0xBF);
}

struct UsCase {
    const char* name;
    std::uint16_t virtualKey;
    bool shift;
    bool capsLock;
    int appended; // -1: the key is ignored
    bool control = false;
};

void PrintTo(const UsCase& row, std::ostream* os) {
    *os << row.name;
}

class UsLayoutKeys : public ::testing::TestWithParam<UsCase> {};

// Printable characters are covered all of them through the Qt feed below; these rows are what that
// cannot show: Caps Lock, control characters, the keypad and keys without a character.
TEST_P(UsLayoutKeys, TypeWhatAUsKeyboardTypes) {
    const UsCase& c = GetParam();
    UsKeyboardLayout layout;
    layout.SetModifiers(c.shift, c.capsLock, c.control);
    const TranslatedKey key = TranslateKey(c.virtualKey, layout);
    if (c.appended < 0) {
        EXPECT_FALSE(key.counted);
        return;
    }
    EXPECT_TRUE(key.counted);
    EXPECT_EQ(key.character, std::optional<char>(static_cast<char>(c.appended)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsLayoutKeys,
    ::testing::Values(
        UsCase{"Letter", 'A', false, false, 'a'}, UsCase{"CapsLockLetter", 'Q', false, true, 'Q'},
        UsCase{"CapsLockShiftLetter", 'Q', true, true, 'q'}, UsCase{"CapsLockDigit", '1', false, true, '1'},
        UsCase{"Shift1Exclamation", '1', true, false, '!'}, UsCase{"Space", ' ', false, false, ' '},
        UsCase{"Backspace", VirtualKey::Back, false, false, 0x08},
        UsCase{"ShiftBackspace", VirtualKey::Back, true, false, 0x08},
        UsCase{"Tab", VirtualKey::Tab, false, false, 0x09}, UsCase{"Escape", VirtualKey::Escape, false, false, 0x1B},
        UsCase{"Question", VirtualKey::Oem2, true, false, '?'}, UsCase{"Grave", VirtualKey::Oem3, false, false, '`'},
        UsCase{"Tilde", VirtualKey::Oem3, true, false, '~'}, UsCase{"DoubleQuote", VirtualKey::Oem7, true, false, '"'},
        UsCase{"CapsLockPunctuation", VirtualKey::Oem2, false, true, '/'},
        UsCase{"Keypad5", VirtualKey::Numpad0 + 5, false, false, '5'},
        UsCase{"KeypadStar", VirtualKey::Multiply, false, false, '*'},
        UsCase{"ShiftKey", VirtualKey::Shift, true, false, -1},
        UsCase{"CtrlKey", VirtualKey::Control, false, false, -1}, UsCase{"AltKey", VirtualKey::Menu, false, false, -1},
        UsCase{"CapsLockKey", VirtualKey::Capital, false, true, -1}, UsCase{"F1", VirtualKey::F1, false, false, -1},
        UsCase{"LeftArrow", VirtualKey::Left, false, false, -1}, UsCase{"Delete", VirtualKey::Delete, false, false, -1},
        UsCase{"NoKey", 0, false, false, -1},
        // Ctrl + ASCII: a character with a control form becomes that byte; any other stays as it is.
        UsCase{"CtrlJLineFeed", 'J', false, false, 0x0A, true}, UsCase{"CtrlShiftJ", 'J', true, false, 0x0A, true},
        UsCase{"CtrlMCarriageReturn", 'M', false, false, 0x0D, true},
        UsCase{"CtrlCaretRecordSeparator", '6', true, false, 0x1E, true},
        UsCase{"CtrlBracketGroupSeparator", VirtualKey::Oem6, false, false, 0x1D, true},
        UsCase{"CtrlBackslashFileSeparator", VirtualKey::Oem5, false, false, 0x1C, true},
        UsCase{"CtrlUnderscoreUnitSeparator", VirtualKey::OemMinus, true, false, 0x1F, true},
        UsCase{"CtrlAtNul", '2', true, false, 0x00, true}, UsCase{"Ctrl6IsSix", '6', false, false, '6', true},
        UsCase{"CtrlSemicolonStays", VirtualKey::Oem1, false, false, ';', true},
        UsCase{"CtrlQuestionStays", VirtualKey::Oem2, true, false, '?', true},
        UsCase{"CtrlTabStays", VirtualKey::Tab, false, false, 0x09, true}),
    RowName());

TEST(TranslateKey, CtrlEnterStillAddsNothing) {
    UsKeyboardLayout layout;
    layout.SetModifiers(false, false, true);
    const TranslatedKey key = TranslateKey(VirtualKey::Return, layout);
    EXPECT_TRUE(key.counted);
    EXPECT_FALSE(key.character.has_value());
    EXPECT_EQ(key.quietPeriodMs, kQuietPeriodAfterEnterMs);
}

// What a QKeyEvent for the typed character looks like: Qt key codes of ASCII characters are the
// characters themselves, letters upper case.
int QtKeyOf(char c) {
    return std::toupper(static_cast<unsigned char>(c));
}

bool NeedsShift(char c) {
    std::uint16_t vk = 0;
    bool shift = false;
    UsKeyboardLayout::KeyForCharacter(c, vk, shift);
    return shift;
}

std::optional<char> TypedThroughQt(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers) {
    const UsKeyStroke stroke = UsKeyStrokeFromQt(qtKey, text, modifiers);
    UsKeyboardLayout layout;
    layout.SetModifiers(stroke.shift, stroke.capsLock);
    const TranslatedKey key = TranslateKey(stroke.virtualKey, layout);
    if (!key.counted)
        return std::nullopt;
    return key.character.value_or('\0');
}

TEST(QtKeyInput, EveryPrintableCharacterArrivesAsTyped) {
    for (char c = 0x20; c < 0x7F; ++c) {
        const QString text(QChar::fromLatin1(c));
        const Qt::KeyboardModifiers xdotool = NeedsShift(c) ? Qt::ShiftModifier : Qt::NoModifier;
        EXPECT_EQ(TypedThroughQt(QtKeyOf(c), text, Qt::NoModifier), std::optional<char>(c))
            << "offscreen, no modifiers: '" << c << "'";
        EXPECT_EQ(TypedThroughQt(QtKeyOf(c), text, xdotool), std::optional<char>(c)) << "with Shift: '" << c << "'";
    }
}

TEST(QtKeyInput, CapsLockedLetterWithoutShiftArrivesAsTyped) {
    EXPECT_EQ(TypedThroughQt(Qt::Key_A, QStringLiteral("A"), Qt::NoModifier), std::optional<char>('A'));
    EXPECT_EQ(TypedThroughQt(Qt::Key_A, QStringLiteral("a"), Qt::ShiftModifier), std::optional<char>('a'));
}

struct QtSpecialCase {
    const char* name;
    int qtKey;
    const char* text;
    Qt::KeyboardModifiers modifiers;
    std::uint16_t virtualKey;
};

void PrintTo(const QtSpecialCase& row, std::ostream* os) {
    *os << row.name;
}

class QtSpecialKeys : public ::testing::TestWithParam<QtSpecialCase> {};

TEST_P(QtSpecialKeys, MapByQtKey) {
    const QtSpecialCase& c = GetParam();
    EXPECT_EQ(UsKeyStrokeFromQt(c.qtKey, QString::fromLatin1(c.text), c.modifiers).virtualKey, c.virtualKey);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QtSpecialKeys,
    ::testing::Values(QtSpecialCase{"Return", Qt::Key_Return, "\r", Qt::NoModifier, 13},
                      QtSpecialCase{"KeypadEnter", Qt::Key_Enter, "\r", Qt::KeypadModifier, 13},
                      QtSpecialCase{"Backspace", Qt::Key_Backspace, "\b", Qt::NoModifier, 8},
                      QtSpecialCase{"Tab", Qt::Key_Tab, "\t", Qt::NoModifier, 9},
                      QtSpecialCase{"Backtab", Qt::Key_Backtab, "", Qt::ShiftModifier, 9},
                      QtSpecialCase{"Escape", Qt::Key_Escape, "\x1b", Qt::NoModifier, 0x1B},
                      QtSpecialCase{"ShiftAlone", Qt::Key_Shift, "", Qt::ShiftModifier, VirtualKey::Shift},
                      QtSpecialCase{"ControlAlone", Qt::Key_Control, "", Qt::ControlModifier, VirtualKey::Control},
                      QtSpecialCase{"AltAlone", Qt::Key_Alt, "", Qt::AltModifier, VirtualKey::Menu},
                      QtSpecialCase{"CapsLock", Qt::Key_CapsLock, "", Qt::NoModifier, VirtualKey::Capital},
                      QtSpecialCase{"F5", Qt::Key_F5, "", Qt::NoModifier, VirtualKey::F1 + 4},
                      QtSpecialCase{"Delete", Qt::Key_Delete, "\x7f", Qt::NoModifier, VirtualKey::Delete},
                      QtSpecialCase{"CtrlC", Qt::Key_C, "\x03", Qt::ControlModifier, 'C'},
                      QtSpecialCase{"NonAsciiLetter", Qt::Key_Eacute, "\xe9", Qt::NoModifier, 0}),
    RowName());

TEST(QtKeyInput, KeysWithoutCharacterAreIgnoredByTheCycle) {
    for (const int qtKey :
         {int(Qt::Key_Shift), int(Qt::Key_Control), int(Qt::Key_Alt), int(Qt::Key_Meta), int(Qt::Key_CapsLock),
          int(Qt::Key_F1), int(Qt::Key_F12), int(Qt::Key_Left), int(Qt::Key_Home), int(Qt::Key_PageDown),
          int(Qt::Key_Insert), int(Qt::Key_Delete), int(Qt::Key_unknown)})
        EXPECT_EQ(TypedThroughQt(qtKey, QString(), Qt::NoModifier), std::nullopt) << "Qt key 0x" << std::hex << qtKey;
    EXPECT_EQ(TypedThroughQt(Qt::Key_Backspace, QStringLiteral("\b"), Qt::NoModifier), std::optional<char>('\b'));
    EXPECT_EQ(TypedThroughQt(Qt::Key_Return, QStringLiteral("\r"), Qt::NoModifier), std::optional<char>('\0'))
        << "Enter counts and adds nothing";
}

// ---- whole scans typed into the cycle as Qt key presses

const std::string kSwipe = "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?"
                           "#0295814      C               1508150BRNBLU?";
// The start of a barcode with every separator an AAMVA barcode uses (LF, RS, CR).
const std::string kBarcode = "@\n\x1e\rANSI 636000100102DL00410278ZV03190008DLDAQT64230917\nDCSHARTWELL\nDACNORA\r";

// One key press as a platform delivers it: Qt key, modifiers and text as the desktop's layout made them,
// and the key's X key code with the X modifier state (0 where the platform gives none).
struct Press {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    QString text;
    quint32 keycode = 0;
    quint32 xState = 0;
};

constexpr quint32 kXShift = 1, kXLock = 2, kXControl = 4, kXNumLock = 16;

// The key positions of a US keyboard as X numbers them (evdev): what a reader presses for each character.
std::optional<Press> UsPosition(char c) {
    struct Row {
        quint32 firstKeycode;
        const char* plain;
        const char* shifted;
    };
    static const Row rows[] = {{10, "1234567890-=", "!@#$%^&*()_+"},
                               {24, "qwertyuiop[]", "QWERTYUIOP{}"},
                               {38, "asdfghjkl;'`", "ASDFGHJKL:\"~"},
                               {51, "\\zxcvbnm,./", "|ZXCVBNM<>?"},
                               {65, " ", " "}};
    for (const Row& row : rows) {
        for (const char* keys : {row.plain, row.shifted}) {
            if (const char* at = std::strchr(keys, c); at && c != '\0') {
                const bool shift = keys == row.shifted && c != ' ';
                return Press{0, shift ? Qt::ShiftModifier : Qt::NoModifier, QString(),
                             row.firstKeycode + static_cast<quint32>(at - keys), shift ? kXShift : 0};
            }
        }
    }
    return std::nullopt;
}

// A reader in "Ctrl + ASCII" mode: LF as Ctrl+J, RS as Ctrl+^ (Ctrl+Shift+6), CR as Ctrl+M; by US
// position, with the texts Qt gives on a US desktop (so both readings of the keys can be fed).
std::vector<Press> CtrlAsciiPresses(const std::string& text) {
    std::vector<Press> presses;
    for (const char c : text) {
        const char* const control = c == '\n' ? "j" : c == '\x1e' ? "^" : c == '\r' ? "m" : nullptr;
        Press press = *UsPosition(control ? *control : c);
        press.qtKey = control ? (*control == '^' ? Qt::Key_AsciiCircum : std::toupper(*control)) : QtKeyOf(c);
        press.text = QString(QChar::fromLatin1(c));
        if (control) {
            press.modifiers |= Qt::ControlModifier;
            press.xState |= kXControl;
        }
        presses.push_back(press);
    }
    return presses;
}

// Types the presses into a cycle and gives the swipe text it gathered.
std::string TypeIntoCycle(const ReaderKeymap& keymap, const std::vector<Press>& presses) {
    FakeScanHost host;
    UsKeyboardLayout layout;
    ScanCycle cycle(host, layout, [](const std::string&) -> std::unique_ptr<MagneticStripeCards::Card> {
        throw std::logic_error("not decoded here");
    });
    host.Attach(cycle);
    // A keyboard of the test's own: without an application, Qt's default one is never freed.
    const QInputDevice keyboard(QStringLiteral("reader"), 1, QInputDevice::DeviceType::Keyboard);
    for (const Press& p : presses) {
        const UsKeyStroke stroke = keymap.Stroke(
            QKeyEvent(QEvent::KeyPress, p.qtKey, p.modifiers, p.keycode, 0, p.xState, p.text, false, 1, &keyboard));
        layout.SetModifiers(stroke.shift, stroke.capsLock, stroke.control);
        cycle.OnKeyDown(stroke.virtualKey);
    }
    return cycle.SwipeText();
}

class TextFeed : public ::testing::TestWithParam<bool> {};

// Without key codes (the offscreen platform, synthesised events) every key goes by its text: with the
// Shift presses and modifiers that xdotool sends under X11 (true), or with bare characters.
TEST_P(TextFeed, ExampleSwipeReproducesItself) {
    const bool withShift = GetParam();
    std::vector<Press> presses;
    for (const char c : kSwipe) {
        const bool shift = withShift && NeedsShift(c);
        if (shift)
            presses.push_back({Qt::Key_Shift, Qt::ShiftModifier, QString()});
        presses.push_back({QtKeyOf(c), shift ? Qt::ShiftModifier : Qt::NoModifier, QString(QChar::fromLatin1(c))});
    }
    presses.push_back({Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")});
    for (const auto source : {ReaderKeymap::Source::UsPositions, ReaderKeymap::Source::DesktopLayout})
        EXPECT_EQ(TypeIntoCycle(ReaderKeymap(source), presses), kSwipe);
}

INSTANTIATE_TEST_SUITE_P(Platforms, TextFeed, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& row) {
                             return std::string(row.param ? "Xvfb" : "Offscreen");
                         });

TEST(ReaderKeymap, SettingValues) {
    using Source = ReaderKeymap::Source;
    EXPECT_EQ(ReaderKeymap::FromSetting("").ActiveSource(), Source::UsPositions);
    EXPECT_EQ(ReaderKeymap::FromSetting("US").ActiveSource(), Source::UsPositions);
    EXPECT_EQ(ReaderKeymap::FromSetting("Desktop").ActiveSource(), Source::DesktopLayout);
    EXPECT_EQ(ReaderKeymap::FromSetting("de").ActiveSource(), Source::UsPositions) << "unknown value";
}

// The station's desktop has another layout: every key's text is something the reader never meant.
TEST(ReaderKeymap, UsPositionsWhateverTheDesktopLayout) {
    std::vector<Press> presses;
    for (const char c : kSwipe) {
        Press press = *UsPosition(c);
        press.qtKey = Qt::Key_Eacute;
        press.text = QStringLiteral("\u00e9");
        presses.push_back(press);
    }
    const ReaderKeymap us(ReaderKeymap::Source::UsPositions);
    ASSERT_EQ(us.ActiveSource(), ReaderKeymap::Source::UsPositions) << "XKB data missing";
    EXPECT_EQ(TypeIntoCycle(us, presses), kSwipe);
    EXPECT_EQ(TypeIntoCycle(ReaderKeymap(ReaderKeymap::Source::DesktopLayout), presses), "")
        << "\"desktop\" takes the desktop's characters";
}

TEST(ReaderKeymap, CtrlAsciiBarcodeKeepsItsSeparators) {
    const std::vector<Press> presses = CtrlAsciiPresses(kBarcode);
    for (const auto source : {ReaderKeymap::Source::UsPositions, ReaderKeymap::Source::DesktopLayout})
        EXPECT_EQ(TypeIntoCycle(ReaderKeymap(source), presses), kBarcode);
}

struct PositionCase {
    const char* name;
    quint32 keycode;
    quint32 xState;
    int appended; // -1: ignored; -2: counted, nothing appended
};

void PrintTo(const PositionCase& row, std::ostream* os) {
    *os << row.name;
}

class UsPositionKeys : public ::testing::TestWithParam<PositionCase> {};

TEST_P(UsPositionKeys, TypeWhatTheUsKeyTypes) {
    const PositionCase& c = GetParam();
    const QInputDevice keyboard(QStringLiteral("reader"), 1, QInputDevice::DeviceType::Keyboard);
    const Qt::KeyboardModifiers modifiers = (c.xState & kXShift) ? Qt::ShiftModifier : Qt::NoModifier;
    const QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, modifiers, c.keycode, 0, c.xState, QString(), false, 1,
                          &keyboard);
    const UsKeyStroke stroke = ReaderKeymap(ReaderKeymap::Source::UsPositions).Stroke(event);
    UsKeyboardLayout layout;
    layout.SetModifiers(stroke.shift, stroke.capsLock, stroke.control);
    const TranslatedKey key = TranslateKey(stroke.virtualKey, layout);
    if (c.appended == -1) {
        EXPECT_FALSE(key.counted);
        return;
    }
    EXPECT_TRUE(key.counted);
    EXPECT_EQ(key.character, c.appended == -2 ? std::nullopt : std::optional<char>(static_cast<char>(c.appended)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsPositionKeys,
    ::testing::Values(PositionCase{"CapsLockLetter", 38, kXLock, 'A'},
                      PositionCase{"CapsLockShiftLetter", 38, kXLock | kXShift, 'a'},
                      PositionCase{"CapsLockDigit", 10, kXLock, '1'},
                      PositionCase{"KeypadDigitWithNumLock", 87, kXNumLock, '1'},
                      PositionCase{"KeypadDigitWithoutNumLock", 87, 0, -1},
                      PositionCase{"ReturnAddsNothing", 36, 0, -2}, PositionCase{"KeypadEnterAddsNothing", 104, 0, -2},
                      PositionCase{"ShiftTabIsTab", 23, kXShift, '\t'}, PositionCase{"Backspace", 22, 0, '\b'},
                      PositionCase{"ShiftKeyIgnored", 50, kXShift, -1}, PositionCase{"F1Ignored", 67, 0, -1}),
    RowName());

} // namespace
