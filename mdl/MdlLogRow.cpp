#include "MdlLogRow.h"

#include "CardDates.h"
#include "CardText.h"
#include "MdlDoorVerdict.h"

#include <array>

namespace Mdl {

namespace {

constexpr std::size_t kColumns = 19;
constexpr std::size_t kDateTime = 0, kAge = 2, kState = 4, kExpiry = 10, kDate = 17, kTime = 18;

std::string TwoDigits(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

std::string MdlLogRow::State(const QString& jurisdiction) {
    const QString text = jurisdiction.startsWith(QLatin1String("US-")) ? jurisdiction.mid(3) : jurisdiction;
    return text.toStdString();
}

std::string MdlLogRow::Row(const MdlOutcome& outcome, int validAge, const std::tm& t) {
    std::array<std::string, kColumns> fields;
    fields[kDateTime] = MagneticStripeCards::AscTime24(t);
    fields[kAge] = MdlDoorVerdict::AgeField(outcome, validAge);
    fields[kState] = State(outcome.jurisdiction);
    if (outcome.expiry.isValid())
        fields[kExpiry] = TwoDigits(outcome.expiry.month()) + "/" + TwoDigits(outcome.expiry.day()) + "/" +
                          std::to_string(outcome.expiry.year());
    fields[kDate] =
        std::to_string(t.tm_mon + 1) + "/" + std::to_string(t.tm_mday) + "/" + std::to_string(t.tm_year + 1900);
    fields[kTime] = std::to_string(t.tm_hour) + ":" + std::to_string(t.tm_min) + ":" + std::to_string(t.tm_sec);
    std::string row;
    for (std::size_t i = 0; i < kColumns; ++i) {
        if (i)
            row += ',';
        MagneticStripeCards::CardText::AppendCsvField(row, fields[i]);
    }
    return row;
}

} // namespace Mdl
