#include "AamvaNames.h"

#include "CardText.h"

#include <algorithm>
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

// Split() and Joined() in one pass, without the list: every card with middle names comes here.
std::string Middle(std::string_view value) {
    if (value.find_first_of(", ") == std::string_view::npos)
        return Part(value); // one name, the usual case
    const char separator = value.find(',') != std::string_view::npos ? ',' : ' ';
    std::string joined;
    joined.reserve(value.size());
    for (std::size_t start = 0; start <= value.size();) {
        const std::size_t end = std::min(value.find(separator, start), value.size());
        const std::string_view part = PartView(value.substr(start, end - start));
        if (!part.empty()) {
            if (!joined.empty())
                joined += ' ';
            joined += part;
        }
        start = end + 1;
    }
    return joined;
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
    std::string name;
    name.reserve(last.size() + first.size() + middle.size() + suffix.size() + 3);
    for (const std::string_view part : {last, first, middle, suffix}) {
        if (part.empty())
            continue;
        if (!name.empty())
            name += ' ';
        name += part;
    }
    return name;
}

} // namespace MagneticStripeCards::AamvaNames
