#include "ShownCard.h"

#include "Card.h"

ShownCard ShownCardOf(const MagneticStripeCards::Card& card, std::int32_t validAge) {
    ShownCard shown;
    shown.displayName = card.DisplayName();
    shown.age = card.Age();
    shown.ageText = card.AgeText();
    shown.expirationText = card.ExpirationText();
    shown.expired = card.Expired();
    // Only a holder still under the valid age has a day to come; the layout shows it for them alone.
    if (shown.age < validAge) {
        if (const auto day = card.ComesOfAgeOn(validAge))
            shown.comesOfAgeOn = DisplayDate(day->year, day->month, day->day);
    }
    for (const auto& warning : card.Warnings())
        shown.warnings.push_back(warning.text);
    return shown;
}

std::string DisplayDate(int year, int month, int day) {
    const std::string monthName = MagneticStripeCards::Card::MonthName(month);
    if (monthName.empty() || day < 1 || day > 31)
        return {};
    return monthName + " " + std::to_string(day) + ", " + std::to_string(year);
}
