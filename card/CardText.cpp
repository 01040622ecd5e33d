#include "CardText.h"

#include <stdexcept>

namespace MagneticStripeCards::CardText {

void Trim(std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1]))
        --end;
    std::size_t begin = 0;
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    text.erase(end);
    text.erase(0, begin);
}

std::string TrimCopy(const std::string& text) {
    return std::string(TrimmedView(text));
}

std::string_view TrimmedView(std::string_view text) {
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

void ReplaceAll(std::string& text, char from, char to) {
    for (char& c : text) {
        if (c == from)
            c = to;
    }
}

std::string SubRange(const std::string& text, std::size_t p, std::size_t n) {
    if (p > text.size())
        throw std::out_of_range("position past the end of the field");
    return text.substr(p, n);
}

std::string ClampedPart(const std::string& text, std::size_t p, std::size_t n) {
    return p > text.size() ? std::string() : text.substr(p, n);
}

int LeadingNumber(const std::string& text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || value > 100000000)
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

namespace {

bool IsNegativeWholeNumber(std::string_view field) {
    return field.size() > 1 && field[0] == '-' && field.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

bool CouldStartAFormula(std::string_view field) {
    // "-1" (the age of a birth date still to come) is a number to a spreadsheet, not a formula.
    if (field.empty() || IsNegativeWholeNumber(field))
        return false;
    switch (field.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return true;
    default:
        return false;
    }
}

} // namespace

void AppendCsvField(std::string& row, std::string_view field) {
    row += '"';
    if (CouldStartAFormula(field))
        row += '\'';
    // Copied a run at a time: a field seldom holds a quote, and a byte at a time was a sixth of a batch
    // decode's work.
    for (std::string_view::size_type quote = field.find('"'); quote != std::string_view::npos;
         quote = field.find('"')) {
        row.append(field.data(), quote + 1);
        row += '"';
        field.remove_prefix(quote + 1);
    }
    row.append(field.data(), field.size());
    row += '"';
}

} // namespace MagneticStripeCards::CardText
