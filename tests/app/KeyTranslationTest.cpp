#include "KeyTranslation.h"

#include "Card.h"
#include "FakeScanHost.h"
#include "QtKeyInput.h"
#include "ReaderKeymap.h"
#include "ScanCycle.h"

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

struct TranslateCase {
    const char* name;
    char32_t character;
    bool control;
    int appended; // -1: the key is ignored; -2: counted, nothing appended
};

void PrintTo(const TranslateCase& row, std::ostream* os) {
    *os << row.name;
}

class TranslateKeys : public ::testing::TestWithParam<TranslateCase> {};

TEST_P(TranslateKeys, AddTheirByte) {
    const TranslateCase& c = GetParam();
    const TranslatedKey key = TranslateKey(ReaderKey{c.character, c.control});
    if (c.appended == -1) {
        EXPECT_FALSE(key.counted);
        return;
    }
    EXPECT_TRUE(key.counted);
    if (c.appended == -2) {
        EXPECT_FALSE(key.character.has_value());
        EXPECT_EQ(key.quietPeriodMs, kQuietPeriodAfterEnterMs);
        return;
    }
    EXPECT_EQ(key.character, std::optional<char>(static_cast<char>(c.appended)));
    EXPECT_EQ(key.quietPeriodMs, kQuietPeriodAfterKeyMs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslateKeys,
    ::testing::Values(
        TranslateCase{"Letter", U'a', false, 'a'}, TranslateCase{"Space", U' ', false, ' '},
        TranslateCase{"Tilde", U'~', false, '~'}, TranslateCase{"Backspace", U'\b', false, 0x08},
        TranslateCase{"Tab", U'\t', false, 0x09}, TranslateCase{"Escape", 0x1B, false, 0x1B},
        TranslateCase{"EnterAddsNothing", U'\r', false, -2}, TranslateCase{"CtrlEnterAddsNothing", U'\r', true, -2},
        TranslateCase{"NoCharacter", 0, false, -1}, TranslateCase{"Delete", 0x7F, false, -1},
        TranslateCase{"NonAscii", U'\u00e9', false, -1}, TranslateCase{"LineFeedTypedAsIs", U'\n', false, -1},
        // Ctrl + ASCII: a character with a control form becomes that byte; any other stays as it is.
        TranslateCase{"CtrlJLineFeed", U'j', true, 0x0A}, TranslateCase{"CtrlShiftJ", U'J', true, 0x0A},
        TranslateCase{"CtrlMCarriageReturn", U'm', true, 0x0D},
        TranslateCase{"CtrlCaretRecordSeparator", U'^', true, 0x1E},
        TranslateCase{"CtrlBracketGroupSeparator", U']', true, 0x1D},
        TranslateCase{"CtrlBackslashFileSeparator", U'\\', true, 0x1C},
        TranslateCase{"CtrlUnderscoreUnitSeparator", U'_', true, 0x1F}, TranslateCase{"CtrlAtNul", U'@', true, 0x00},
        TranslateCase{"Ctrl6IsSix", U'6', true, '6'}, TranslateCase{"CtrlSemicolonStays", U';', true, ';'},
        TranslateCase{"CtrlQuestionStays", U'?', true, '?'}, TranslateCase{"CtrlTabStays", U'\t', true, 0x09}),
    RowName());

// What a QKeyEvent for the typed character looks like: Qt key codes of ASCII characters are the
// characters themselves, letters upper case.
int QtKeyOf(char c) {
    return std::toupper(static_cast<unsigned char>(c));
}

// The characters a US keyboard types with Shift.
bool NeedsShift(char c) {
    return std::isupper(static_cast<unsigned char>(c)) || std::strchr("~!@#$%^&*()_+{}|:\"<>?", c) != nullptr;
}

std::optional<char> TypedThroughQt(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers) {
    const TranslatedKey key = TranslateKey(ReaderKeyFromQt(qtKey, text, modifiers));
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
    char32_t character;
};

void PrintTo(const QtSpecialCase& row, std::ostream* os) {
    *os << row.name;
}

class QtSpecialKeys : public ::testing::TestWithParam<QtSpecialCase> {};

TEST_P(QtSpecialKeys, MapByQtKey) {
    const QtSpecialCase& c = GetParam();
    EXPECT_EQ(ReaderKeyFromQt(c.qtKey, QString::fromLatin1(c.text), c.modifiers).character, c.character);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QtSpecialKeys,
    ::testing::Values(QtSpecialCase{"Return", Qt::Key_Return, "\r", Qt::NoModifier, U'\r'},
                      QtSpecialCase{"KeypadEnter", Qt::Key_Enter, "\r", Qt::KeypadModifier, U'\r'},
                      QtSpecialCase{"Backspace", Qt::Key_Backspace, "\b", Qt::NoModifier, U'\b'},
                      QtSpecialCase{"Tab", Qt::Key_Tab, "\t", Qt::NoModifier, U'\t'},
                      QtSpecialCase{"Backtab", Qt::Key_Backtab, "", Qt::ShiftModifier, U'\t'},
                      QtSpecialCase{"Escape", Qt::Key_Escape, "\x1b", Qt::NoModifier, 0x1B},
                      QtSpecialCase{"ShiftAlone", Qt::Key_Shift, "", Qt::ShiftModifier, 0},
                      QtSpecialCase{"ControlAlone", Qt::Key_Control, "", Qt::ControlModifier, 0},
                      QtSpecialCase{"AltAlone", Qt::Key_Alt, "", Qt::AltModifier, 0},
                      QtSpecialCase{"CapsLock", Qt::Key_CapsLock, "", Qt::NoModifier, 0},
                      QtSpecialCase{"F5", Qt::Key_F5, "", Qt::NoModifier, 0},
                      QtSpecialCase{"Delete", Qt::Key_Delete, "\x7f", Qt::NoModifier, 0},
                      QtSpecialCase{"CtrlC", Qt::Key_C, "\x03", Qt::ControlModifier, U'c'},
                      QtSpecialCase{"CtrlShiftC", Qt::Key_C, "\x03", Qt::ControlModifier | Qt::ShiftModifier, U'C'},
                      QtSpecialCase{"CtrlShift2", Qt::Key_2, "", Qt::ControlModifier | Qt::ShiftModifier, U'@'},
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
    ScanCycle cycle(host, [](const std::string&) -> std::unique_ptr<MagneticStripeCards::Card> {
        throw std::logic_error("not decoded here");
    });
    host.Attach(cycle);
    // A keyboard of the test's own: without an application, Qt's default one is never freed.
    const QInputDevice keyboard(QStringLiteral("reader"), 1, QInputDevice::DeviceType::Keyboard);
    for (const Press& p : presses)
        cycle.OnKey(keymap.Key(
            QKeyEvent(QEvent::KeyPress, p.qtKey, p.modifiers, p.keycode, 0, p.xState, p.text, false, 1, &keyboard)));
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
    const TranslatedKey key = TranslateKey(ReaderKeymap(ReaderKeymap::Source::UsPositions).Key(event));
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
