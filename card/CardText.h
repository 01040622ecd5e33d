#pragma once
// Byte-string helpers of the field rules: trimming, replacing, position reads, numbers and CSV fields.
// Case mapping and whitespace are ASCII only, so a scan decodes the same whatever locale the station
// runs in.

#include <cstddef>
#include <string>
#include <string_view>

namespace MagneticStripeCards::CardText {

// Space, tab, line feed, vertical tab, form feed, carriage return. Inline, like the case mappings: the
// field rules ask them of every character they trim or compare.
inline bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
void Trim(std::string& text);
std::string TrimCopy(const std::string& text);
// The same without a copy: the view shrunk to its trimmed part.
std::string_view TrimmedView(std::string_view text);
void ReplaceAll(std::string& text, char from, char to);

// Character classes, ASCII only for the same reason: card bytes and the reader's keys are ASCII.
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
inline bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool IsPrintableAscii(char32_t c) {
    return c >= 0x20 && c <= 0x7E;
}

inline char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Characters p .. p+n-1, shortened to what exists; std::out_of_range when p is past the end.
std::string SubRange(const std::string& text, std::size_t p, std::size_t n);
// The same, but a start past the end gives an empty text.
std::string ClampedPart(const std::string& text, std::size_t p, std::size_t n);
// The leading decimal digits as a number, 0 when there are none.
int LeadingNumber(const std::string& text);

// `field` in double quotes, each quote inside doubled (RFC 4180). A field that starts with '=', '+', '-',
// '@', tab or carriage return gets an apostrophe in front, inside its quotes, so a spreadsheet takes it as
// text and never as a formula (OWASP, CSV injection). Card fields and the operator's comments both go
// through here. A plain negative whole number ("-1") stays the number it is.
void AppendCsvField(std::string& row, std::string_view field);

} // namespace MagneticStripeCards::CardText
