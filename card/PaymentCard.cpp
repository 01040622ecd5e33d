#include "PaymentCard.h"

#include "CardText.h"
#include "IinTable.h"

namespace MagneticStripeCards {
namespace {

constexpr std::size_t kShortestPan = 13;
constexpr std::size_t kLongestPan = 19;
constexpr std::size_t kKeptHead = 6;
constexpr std::size_t kKeptTail = 4;

using CardText::IsDigit;

std::size_t DigitsFrom(const std::string& text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    return end - pos;
}

// Where the track data after a number ends: at the end sentinel, which stays, or before the next track.
std::size_t TrackRestEnd(const std::string& text, std::size_t pos) {
    const std::size_t end = text.find_first_of("?%;", pos);
    return end == std::string::npos ? text.size() : end;
}

} // namespace

bool PassesLuhn(std::string_view digits) {
    if (digits.empty())
        return false;
    int sum = 0;
    bool twice = false;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (!IsDigit(*it))
            return false;
        int d = *it - '0';
        if (twice)
            d = d * 2 > 9 ? d * 2 - 9 : d * 2;
        sum += d;
        twice = !twice;
    }
    return sum % 10 == 0;
}

bool IsPaymentCardNumber(std::string_view digits) {
    return digits.size() >= kShortestPan && digits.size() <= kLongestPan && PassesLuhn(digits) &&
           !IinTable::IsAamvaIin(digits);
}

std::string MaskPaymentCards(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        const std::size_t start = c == ';'                                                    ? pos + 1
                                  : c == '%' && pos + 1 < text.size() && text[pos + 1] == 'B' ? pos + 2
                                                                                              : 0;
        const std::size_t length = start != 0 ? DigitsFrom(text, start) : 0;
        if (start == 0 || !IsPaymentCardNumber(std::string_view(text).substr(start, length))) {
            out += c;
            ++pos;
            continue;
        }
        out.append(text, pos, start - pos);
        out.append(text, start, kKeptHead);
        out.append(length - kKeptHead - kKeptTail, '*');
        out.append(text, start + length - kKeptTail, kKeptTail);
        pos = TrackRestEnd(text, start + length);
    }
    return out;
}

} // namespace MagneticStripeCards
