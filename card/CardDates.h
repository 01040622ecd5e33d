#pragma once
// Date arithmetic of the card rules: whole-year ages, expiry verdicts, calendar dates and their texts,
// and the one table of month names that every card text uses.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace MagneticStripeCards {

// A day of the Gregorian calendar. Only real dates are kept in this form (see RealDate).
struct CalendarDate {
    int year = 0;
    int month = 0; // 1-12
    int day = 0;   // 1-31

    friend bool operator==(const CalendarDate& a, const CalendarDate& b) {
        return a.year == b.year && a.month == b.month && a.day == b.day;
    }
    friend bool operator!=(const CalendarDate& a, const CalendarDate& b) { return !(a == b); }
    friend bool operator<(const CalendarDate& a, const CalendarDate& b) {
        if (a.year != b.year)
            return a.year < b.year;
        return a.month != b.month ? a.month < b.month : a.day < b.day;
    }
    friend bool operator>(const CalendarDate& a, const CalendarDate& b) { return b < a; }
};

namespace CardDates {

bool IsLeapYear(int year);
// 28-31, or 0 for a month outside 1-12.
int DaysInMonth(int year, int month);
// The date when year (1-9999), month and day make one, else nullopt.
std::optional<CalendarDate> RealDate(int year, int month, int day);
CalendarDate Today(const std::tm& now);

// Whole years at `now` for any numbers, real date or not: a birthday today gives the new age.
std::int32_t AgeAt(const std::tm& now, int birthYear, int birthMonth, int birthDay);
// A licence with only a month of expiry is valid to the end of that month.
bool ExpiredAt(const std::tm& now, int expiryYear, int expiryMonth);
// The day on which AgeAt first gives `years` more than at `date`: 29 Feb gives 1 Mar in a year without it.
CalendarDate AddYears(const CalendarDate& date, int years);

// "2029-03-10".
std::string Iso(const CalendarDate& date);
// 1 -> "Jan" ... 12 -> "Dec", anything else -> "".
std::string MonthName(int month);
// "Dec-15-2008": month name, day and year without leading zeros.
std::string ExpiryText(int year, int month, int day);
// "month/day/year" from the texts as given.
std::string JoinDate(const std::string& month, const std::string& day, const std::string& year);
// The same for numbers, each written as std::to_string writes it.
std::string JoinDate(int month, int day, int year);
// The barcode's strict conversion: an optional sign and digits, nothing else.
std::optional<int> StrictInt(const std::string& text);

} // namespace CardDates

// The 24-character asctime form with a zero-padded day: "Sun Jan 02 09:05:03 2005".
std::string AscTime24(const std::tm& t);

} // namespace MagneticStripeCards
