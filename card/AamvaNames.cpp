#include "AamvaNames.h"

#include "CardText.h"

#include <vector>

namespace MagneticStripeCards::AamvaNames {
namespace {

using CardText::AsciiUpper;

const char* const kSuffixes[] = {"JR", "JR.", "SR", "SR.", "II", "III", "IV", "V", "VI", "1ST", "2ND", "3RD"};

bool EqualsUpper(std::string_view value, std::string_view upper) {
    if (value.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (AsciiUpper(value[i]) != upper[i])
            return false;
    }
    return true;
}

bool IsSuffix(std::string_view value) {
    for (const char* suffix : kSuffixes) {
        if (EqualsUpper(value, suffix))
            return true;
    }
    return false;
}

// Words joined by single spaces, on the stack when they fit (names do): one string made at the end.
class SmallText {
public:
    void AddWord(std::string_view word) {
        if (word.empty())
            return;
        const std::size_t needed = m_size + (m_size > 0 ? 1 : 0) + word.size();
        if (m_longUsed || needed > sizeof m_buffer)
            return AddLong(word);
        if (m_size > 0)
            m_buffer[m_size++] = ' ';
        word.copy(m_buffer + m_size, word.size());
        m_size += word.size();
    }
    std::string Text() const { return m_longUsed ? m_long : std::string(m_buffer, m_size); }

private:
    void AddLong(std::string_view word) {
        if (!m_longUsed) {
            m_long.assign(m_buffer, m_size);
            m_longUsed = true;
        }
        if (!m_long.empty())
            m_long += ' ';
        m_long += word;
    }

    char m_buffer[128];
    std::size_t m_size = 0;
    std::string m_long;
    bool m_longUsed = false;
};

// The parts between the separators, trimmed; spaces separate only when the text has no comma.
std::vector<std::string_view> Split(std::string_view text) {
    const char separator = text.find(',') != std::string_view::npos ? ',' : ' ';
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        const std::string_view part = PartView(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (separator == ',' || !part.empty())
            parts.push_back(part);
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

std::string Joined(const std::vector<std::string_view>& parts, std::size_t first, std::size_t end) {
    std::string joined;
    for (std::size_t i = first; i < end; ++i) {
        if (parts[i].empty())
            continue;
        if (!joined.empty())
            joined += ' ';
        joined += parts[i];
    }
    return joined;
}

} // namespace

std::string_view PartView(std::string_view value) {
    const std::string_view trimmed = CardText::TrimmedView(value);
    return IsNoName(trimmed) ? std::string_view() : trimmed;
}

bool IsNoName(std::string_view value) {
    return EqualsUpper(value, "NONE") || EqualsUpper(value, "UNAVL") || EqualsUpper(value, "UNAVAIL");
}

std::string Part(std::string_view value) {
    return std::string(PartView(value));
}

// Split() and Joined() in one pass, without the list: every card with middle names comes here. The
// names are joined on the stack and copied once.
std::string Middle(std::string_view value) {
    bool comma = false;
    bool space = false;
    for (const char c : value) { // one pass rather than find_first_of's search per character
        comma = comma || c == ',';
        space = space || c == ' ';
    }
    if (!comma && !space)
        return Part(value); // one name, the usual case
    const char separator = comma ? ',' : ' ';
    SmallText joined;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i < value.size() && value[i] != separator)
            continue;
        joined.AddWord(PartView(value.substr(start, i - start)));
        start = i + 1;
    }
    return joined.Text();
}

Parts FromFullName(std::string_view full) {
    const bool commas = full.find(',') != std::string_view::npos;
    const std::vector<std::string_view> parts = Split(full);
    Parts result;
    if (parts.empty())
        return result;
    result.last = parts[0];
    if (parts.size() > 1)
        result.first = parts[1];
    std::size_t middleEnd = parts.size();
    // With commas the fourth part is the suffix; with spaces only a part that reads as one.
    if (parts.size() > 3 && (commas || IsSuffix(parts.back()))) {
        result.suffix = parts.back();
        --middleEnd;
    }
    result.middle = Joined(parts, 2, middleEnd);
    return result;
}

void SplitGivenNames(std::string_view given, Parts& parts) {
    const std::vector<std::string_view> names = Split(given);
    parts.first = names.empty() ? std::string_view() : names[0];
    parts.middle = Joined(names, 1, names.size());
}

std::string FullName(std::string_view last, std::string_view first, std::string_view middle, std::string_view suffix) {
    SmallText name;
    for (const std::string_view part : {last, first, middle, suffix})
        name.AddWord(part);
    return name.Text();
}

} // namespace MagneticStripeCards::AamvaNames
