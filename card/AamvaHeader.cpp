#include "AamvaHeader.h"

#include "CardText.h"

#include <algorithm>

namespace MagneticStripeCards {
namespace {

// How far into the text the header may start (leading spaces, stray bytes, a reader's prefix) and how
// many bytes may stand between the '@' and the file type (three separators, each perhaps doubled).
constexpr std::size_t kLeadingBytes = 32;
constexpr std::size_t kSeparatorBytes = 8;
constexpr std::size_t kFileTypeLength = 5;
constexpr std::size_t kIinLength = 6;
constexpr std::size_t kDesignatorLength = 10;

using CardText::IsDigit;
using CardText::IsUpper;
bool IsAlnum(char c) {
    return IsDigit(c) || IsUpper(c) || (c >= 'a' && c <= 'z');
}

bool DigitsAt(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size())
        return false;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (!IsDigit(text[i]))
            return false;
    }
    return true;
}

std::size_t ToNumber(std::string_view digits) {
    std::size_t value = 0;
    for (const char c : digits)
        value = value * 10 + static_cast<std::size_t>(c - '0');
    return value;
}

// The '@' that belongs to a file type at `type`: the nearest one before it with nothing but separators
// (no letters or digits) between them.
std::optional<std::size_t> IndicatorBefore(std::string_view text, std::size_t type) {
    const std::size_t first = type > kSeparatorBytes ? type - kSeparatorBytes : 0;
    for (std::size_t i = type; i-- > first;) {
        if (text[i] == '@')
            return i;
        if (IsAlnum(text[i]))
            return std::nullopt;
    }
    return std::nullopt;
}

bool IsDesignatorAt(std::string_view text, std::size_t pos) {
    return pos + kDesignatorLength <= text.size() && IsUpper(text[pos]) && IsUpper(text[pos + 1]) &&
           DigitsAt(text, pos + 2, kDesignatorLength - 2);
}

void ReadDesignators(std::string_view text, std::size_t pos, AamvaHeader& header) {
    // The jurisdiction version and the number of entries, when present, are the digits before the first
    // designator; real cards leave out either, so they are skipped rather than read.
    std::size_t digits = 0;
    while (digits < 4 && pos + digits < text.size() && IsDigit(text[pos + digits]))
        ++digits;
    pos += digits;
    while (IsDesignatorAt(text, pos)) {
        if (header.designatorCount < AamvaHeader::kMostDesignators)
            header.designators[header.designatorCount++] = {text.substr(pos, 2), ToNumber(text.substr(pos + 2, 4))};
        pos += kDesignatorLength;
    }
    header.designatorsEnd = pos;
}

} // namespace

std::optional<AamvaHeader> AamvaHeader::Parse(std::string_view text) {
    const std::size_t limit = std::min(text.size(), kLeadingBytes + kSeparatorBytes + kFileTypeLength);
    std::optional<AamvaHeader> found;
    for (std::size_t type = 1; type + kFileTypeLength <= limit; ++type) {
        if (text[type] != 'A')
            continue;
        const std::string_view fileType = text.substr(type, kFileTypeLength);
        if (fileType != "ANSI " && fileType != "AAMVA")
            continue;
        const auto at = IndicatorBefore(text, type);
        const std::size_t iin = type + kFileTypeLength;
        if (!at || !DigitsAt(text, iin, kIinLength))
            continue;
        // Filled in place: the designators make the header a few hundred bytes.
        AamvaHeader& header = found.emplace();
        header.at = *at;
        header.separators = text.substr(*at + 1, type - *at - 1);
        header.iin = text.substr(iin, kIinLength);
        std::size_t pos = iin + kIinLength;
        if (DigitsAt(text, pos, 2)) {
            header.version = static_cast<int>(ToNumber(text.substr(pos, 2)));
            pos += 2;
        }
        ReadDesignators(text, pos, header);
        break;
    }
    return found;
}

} // namespace MagneticStripeCards
