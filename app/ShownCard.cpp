#include "ShownCard.h"

#include "Card.h"

ShownCard ShownCardOf(const MagneticStripeCards::Card& card, std::int32_t validAge) {
    (void)validAge; // the day of coming of age and the hints come with the decoder's date accessors
    ShownCard shown;
    shown.displayName = card.DisplayName();
    shown.age = card.Age();
    shown.ageText = card.AgeText();
    shown.expirationText = card.ExpirationText();
    shown.expired = card.Expired();
    return shown;
}

std::string DisplayDate(int year, int month, int day) {
    const std::string monthName = MagneticStripeCards::Card::MonthName(month);
    if (monthName.empty() || day < 1 || day > 31)
        return {};
    return monthName + " " + std::to_string(day) + ", " + std::to_string(year);
}
