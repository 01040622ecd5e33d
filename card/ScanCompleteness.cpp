#include "ScanCompleteness.h"

#include "CardText.h"

#include <cstdint>
#include <optional>

namespace MagneticStripeCards {

namespace {

// The longest track a card carries (track 3: 107 characters) with room to spare; a longer one is no track.
constexpr std::size_t kLongestTrack = 128;
// A PDF417 symbol holds under 2 KB of text; declared lengths beyond this are no barcode worth waiting for.
constexpr std::size_t kLongestBarcode = 16 * 1024;
// Between "@" and "ANSI ": LF, RS and CR, as characters or Enters, and one more for a CR sent as CR LF.
constexpr int kMostHeaderSeparators = 4;

// The scan as a reader delivered it, one unit at a time: each character of the text, and each Enter at
// its place among them.
class Units {
public:
    Units(std::string_view text, const std::vector<std::size_t>& enters) : m_text(text), m_enters(enters) {}

    bool AtEnd() const { return m_char == m_text.size() && m_enter == m_enters.size(); }
    bool AtEnter() const { return m_enter < m_enters.size() && m_enters[m_enter] <= m_char; }
    bool AtChar(char c) const { return !AtEnter() && m_char < m_text.size() && m_text[m_char] == c; }

    // The next unit: a character, or nothing for an Enter; nothing either at the end (check AtEnd first).
    std::optional<char> Next() {
        if (AtEnter()) {
            ++m_enter;
            return std::nullopt;
        }
        if (m_char == m_text.size())
            return std::nullopt;
        return m_text[m_char++];
    }

    // The next `n` units when all are characters.
    std::optional<std::string_view> Chars(std::size_t n) {
        if (m_char + n > m_text.size())
            return std::nullopt;
        if (m_enter < m_enters.size() && m_enters[m_enter] < m_char + n)
            return std::nullopt;
        const std::string_view chars = m_text.substr(m_char, n);
        m_char += n;
        return chars;
    }

    void SkipEnters() {
        while (AtEnter())
            ++m_enter;
    }

    // Skips Enters and the given line-ending characters; false when any other character follows.
    bool OnlyLineEndsLeft() {
        while (!AtEnd()) {
            const std::optional<char> unit = Next();
            if (unit && *unit != '\r' && *unit != '\n')
                return false;
        }
        return true;
    }

private:
    std::string_view m_text;
    const std::vector<std::size_t>& m_enters;
    std::size_t m_char = 0;
    std::size_t m_enter = 0;
};

using CardText::IsDigit;
using CardText::IsUpper;
bool IsUpperOrDigit(char c) {
    return IsDigit(c) || IsUpper(c);
}

std::optional<unsigned> Number(std::optional<std::string_view> digits) {
    if (!digits)
        return std::nullopt;
    unsigned value = 0;
    for (const char c : *digits) {
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

// One track: its start sentinel (one of `starts`), characters without an Enter, its end sentinel.
bool Track(Units& units, std::string_view starts) {
    units.SkipEnters();
    while (units.AtChar('\r') || units.AtChar('\n')) {
        units.Next();
        units.SkipEnters();
    }
    const std::optional<char> start = units.Next();
    if (!start || starts.find(*start) == std::string_view::npos)
        return false;
    for (std::size_t length = 1; length <= kLongestTrack; ++length) {
        const std::optional<char> unit = units.Next();
        if (!unit)
            return false; // an Enter inside a track, or the text ended before its end sentinel
        if (*unit == '?')
            return true;
    }
    return false;
}

struct Designator {
    std::string_view type;
    unsigned length = 0;
};

// Reads the header up to the end of its subfile designators.
std::optional<std::vector<Designator>> Header(Units& units) {
    units.SkipEnters();
    if (!units.AtChar('@'))
        return std::nullopt;
    units.Next();
    for (int skipped = 0; skipped < kMostHeaderSeparators; ++skipped) {
        if (!units.AtEnter() && !units.AtChar('\n') && !units.AtChar('\x1e') && !units.AtChar('\r'))
            break;
        units.Next();
    }
    const std::optional<std::string_view> fileType = units.Chars(5);
    if (!fileType || (*fileType != "ANSI " && *fileType != "AAMVA"))
        return std::nullopt;
    if (!Number(units.Chars(6)))
        return std::nullopt; // IIN
    const std::optional<unsigned> version = Number(units.Chars(2));
    if (!version || *version == 0)
        return std::nullopt; // version 00 has no layout to count on
    if (*version >= 2 && !Number(units.Chars(2)))
        return std::nullopt; // jurisdiction version
    const std::optional<unsigned> entries = Number(units.Chars(2));
    if (!entries || *entries == 0)
        return std::nullopt;

    std::vector<Designator> designators;
    std::size_t declared = 0;
    for (unsigned i = 0; i < *entries; ++i) {
        const std::optional<std::string_view> type = units.Chars(2);
        if (!type || !IsUpperOrDigit((*type)[0]) || !IsUpperOrDigit((*type)[1]))
            return std::nullopt;
        if (!Number(units.Chars(4)))
            return std::nullopt; // offset, not relied on
        const std::optional<unsigned> length = Number(units.Chars(4));
        if (!length || *length < 3)
            return std::nullopt; // the type and the terminator at least
        declared += *length;
        if (declared > kLongestBarcode)
            return std::nullopt;
        designators.push_back({*type, *length});
    }
    return designators;
}

// One subfile, there in full: its type, then units up to its declared length, the last its terminator.
bool Subfile(Units& units, const Designator& designator) {
    const std::optional<std::string_view> type = units.Chars(2);
    if (!type || *type != designator.type)
        return false;
    for (unsigned counted = 2; counted < designator.length; ++counted) {
        if (units.AtEnd())
            return false; // not all here yet
        const bool terminator = units.AtEnter() || units.AtChar('\r');
        units.Next();
        if (counted + 1 == designator.length)
            return terminator;
    }
    return false;
}

} // namespace

bool IsCompleteThreeTrackStripe(std::string_view text, const std::vector<std::size_t>& enters) {
    Units units(text, enters);
    return Track(units, "%") && Track(units, ";") && Track(units, "#%;+") && units.OnlyLineEndsLeft();
}

bool IsCompleteAamvaBarcode(std::string_view text, const std::vector<std::size_t>& enters) {
    Units units(text, enters);
    const std::optional<std::vector<Designator>> designators = Header(units);
    if (!designators)
        return false;
    for (const Designator& designator : *designators) {
        if (!Subfile(units, designator))
            return false;
    }
    // Characters beyond the last subfile are more than one scan; line ends there are a reader's suffix.
    return units.OnlyLineEndsLeft();
}

bool IsProvablyCompleteScan(std::string_view text, const std::vector<std::size_t>& enters) {
    if (text.empty())
        return false;
    return IsCompleteThreeTrackStripe(text, enters) || IsCompleteAamvaBarcode(text, enters);
}

} // namespace MagneticStripeCards
