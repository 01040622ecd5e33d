#include "CardText.h"

#include <stdexcept>

namespace MagneticStripeCards::CardText {

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

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
    std::string copy = text;
    Trim(copy);
    return copy;
}

void ReplaceAll(std::string& text, char from, char to) {
    for (char& c : text) {
        if (c == from)
            c = to;
    }
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
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

bool CouldStartAFormula(const std::string& field) {
    if (field.empty())
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

void AppendCsvField(std::string& row, const std::string& field) {
    row += '"';
    if (CouldStartAFormula(field))
        row += '\'';
    for (const char c : field) {
        if (c == '"')
            row += '"';
        row += c;
    }
    row += '"';
}

} // namespace MagneticStripeCards::CardText
