#include "CardDates.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

namespace MagneticStripeCards {
namespace CardDates {
namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int CurrentYear(const std::tm& t) {
    return t.tm_year + 1900;
}
int CurrentMonth(const std::tm& t) {
    return t.tm_mon + 1;
}

} // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<CalendarDate> RealDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return CalendarDate{year, month, day};
}

CalendarDate Today(const std::tm& now) {
    return CalendarDate{CurrentYear(now), CurrentMonth(now), now.tm_mday};
}

std::int32_t AgeAt(const std::tm& now, int birthYear, int birthMonth, int birthDay) {
    std::int32_t years = CurrentYear(now) - birthYear;
    if (birthMonth > CurrentMonth(now) || (birthMonth == CurrentMonth(now) && birthDay > now.tm_mday))
        --years;
    return years;
}

bool ExpiredAt(const std::tm& now, int expiryYear, int expiryMonth) {
    return expiryYear < CurrentYear(now) || (expiryYear == CurrentYear(now) && expiryMonth < CurrentMonth(now));
}

CalendarDate AddYears(const CalendarDate& date, int years) {
    const int year = date.year + years;
    if (date.month == 2 && date.day == 29 && !IsLeapYear(year))
        return CalendarDate{year, 3, 1};
    return CalendarDate{year, date.month, date.day};
}

std::string Iso(const CalendarDate& date) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buffer;
}

std::string MonthName(int month) {
    return month >= 1 && month <= 12 ? kMonths[month - 1] : "";
}

namespace {

// Room for three numbers of int's range and their separators: the date texts are put together in one
// buffer and become a string once.
struct DateText {
    char text[48];
    char* at = text;

    void Put(int value) { at = std::to_chars(at, text + sizeof text, value).ptr; } // as std::to_string
    void Put(char c) { *at++ = c; }
    std::string Done() const { return std::string(text, static_cast<std::size_t>(at - text)); }
};

} // namespace

std::string ExpiryText(int year, int month, int day) {
    DateText t;
    if (month >= 1 && month <= 12)
        t.at = std::copy_n(kMonths[month - 1], 3, t.at);
    t.Put('-');
    t.Put(day);
    t.Put('-');
    t.Put(year);
    return t.Done();
}

std::string JoinDate(int month, int day, int year) {
    DateText t;
    t.Put(month);
    t.Put('/');
    t.Put(day);
    t.Put('/');
    t.Put(year);
    return t.Done();
}

std::string JoinDate(const std::string& month, const std::string& day, const std::string& year) {
    std::string text;
    text.reserve(month.size() + day.size() + year.size() + 2);
    return text.append(month).append(1, '/').append(day).append(1, '/').append(year);
}

// What a lexical cast to int accepts in the classic locale: an optional sign, then decimal digits only,
// within int's range. Done by hand, as the cast builds a stream state for every call.
std::optional<int> StrictInt(const std::string& text) {
    std::size_t i = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
    const bool negative = i == 1 && text[0] == '-';
    if (i == text.size())
        return std::nullopt;
    constexpr long long kLargestMagnitude = -static_cast<long long>(std::numeric_limits<int>::min());
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLargestMagnitude)
            return std::nullopt;
    }
    if (!negative && magnitude > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(negative ? -magnitude : magnitude);
}

} // namespace CardDates

std::string AscTime24(const std::tm& t) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const char* day = t.tm_wday >= 0 && t.tm_wday < 7 ? kDays[t.tm_wday] : "???";
    const std::string month = CardDates::MonthName(t.tm_mon + 1);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s %s %02d %02d:%02d:%02d %d", day, month.empty() ? "???" : month.c_str(),
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_year + 1900);
    return buffer;
}

} // namespace MagneticStripeCards
