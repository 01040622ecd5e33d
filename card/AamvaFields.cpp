#include "AamvaFields.h"

#include "AamvaNames.h"
#include "CardText.h"
#include "IinTable.h"

#include <stdexcept>

namespace MagneticStripeCards::AamvaFields {
namespace {

using namespace CardDates;
using CardText::TrimmedView;

enum class DateOrder { YearFirst, MonthFirst }; // CCYYMMDD, MMDDCCYY

struct DateRead {
    bool present = false;
    std::optional<CalendarDate> real;
    std::string text; // "MM/DD/CCYY" from the digits, or the value as written
};

using CardText::IsDigit;

bool AllDigits(std::string_view value) {
    for (const char c : value) {
        if (!IsDigit(c))
            return false;
    }
    return !value.empty();
}

int Number(std::string_view digits) {
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

struct DateParts {
    std::string_view year, month, day;
};

DateParts Parts(std::string_view digits, DateOrder order) {
    if (order == DateOrder::YearFirst)
        return {digits.substr(0, 4), digits.substr(4, 2), digits.substr(6, 2)};
    return {digits.substr(4, 4), digits.substr(0, 2), digits.substr(2, 2)};
}

// "MM/DD/CCYY" from the parts of eight digits (two, two and four).
std::string DateText(const DateParts& p) {
    const char text[] = {p.month[0], p.month[1], '/',       p.day[0],  p.day[1],
                         '/',        p.year[0],  p.year[1], p.year[2], p.year[3]};
    return std::string(text, sizeof text);
}

// Eight digits in the card's order. A value that is no date in that order but is one in the other is
// read in the other: the two orders never both give a date for years after 1299, so nothing is misread.
DateRead ReadDate(std::string_view raw, DateOrder order) {
    DateRead read;
    const std::string_view value = TrimmedView(raw);
    read.present = !value.empty();
    if (value.size() != 8 || !AllDigits(value)) {
        read.text = std::string(value);
        return read;
    }
    const DateOrder other = order == DateOrder::YearFirst ? DateOrder::MonthFirst : DateOrder::YearFirst;
    DateParts shown = Parts(value, order);
    for (const DateOrder tried : {order, other}) {
        const DateParts p = Parts(value, tried);
        read.real = RealDate(Number(p.year), Number(p.month), Number(p.day));
        if (read.real) {
            shown = p;
            break;
        }
    }
    read.text = DateText(shown);
    return read;
}

class Filler {
public:
    Filler(const AamvaElementValues& values, const Card& card, const ScanWork& work, CardRecord& record)
        : m_values(values), m_card(card), m_work(work), m_record(record) {}

    void Fill();

private:
    std::string Value(std::string_view id) const { return std::string(TrimmedView(m_values.Get(id))); }
    bool Has(std::string_view id) const { return m_values.Has(id); }
    DateRead Date(std::string_view id) const { return ReadDate(m_values.Get(id), m_order); }

    void FillNames();
    void FillDates();
    void FillDescription();
    std::optional<CalendarDate> OptionalDate(std::string_view id, unsigned invalid);

    const AamvaElementValues& m_values;
    const Card& m_card;
    const ScanWork& m_work;
    CardRecord& m_record;
    DateOrder m_order = DateOrder::MonthFirst;
};

void Filler::Fill() {
    CardRecord& r = m_record;
    r.documentType = std::string(m_card.documentType);
    r.aamvaVersion = m_card.version;
    r.isoIin = r.issuerIin = std::string(m_card.iin);
    r.dlNumber = Value("DAQ");
    FillNames();
    r.address = Value("DAG");
    const std::string second = Value("DAH");
    if (!second.empty())
        r.address += (r.address.empty() ? "" : " ") + second;
    r.city = Value("DAI");
    r.state = Value("DAJ");
    r.declaredCountry = Value("DCG");
    for (char& c : r.declaredCountry)
        c = CardText::AsciiUpper(c);
    r.country = IinTable::CardCountry(r.declaredCountry, r.issuerIin, r.state);
    // Version 01 and Canadian cards write CCYYMMDD, US cards of version 02 and up MMDDCCYY.
    m_order = m_card.rulesVersion == 1 || r.country == "CAN" ? DateOrder::YearFirst : DateOrder::MonthFirst;
    FillDates();
    FillDescription();
}

void Filler::FillNames() {
    AamvaNames::Parts parts;
    if (Has("DAA") && !Has("DCS") && !Has("DAB")) {
        parts = AamvaNames::FromFullName(m_values.Get("DAA"));
    } else {
        parts.last = AamvaNames::Part(m_values.Get(Has("DCS") ? "DCS" : "DAB"));
        if (Has("DAC")) {
            parts.first = AamvaNames::Part(m_values.Get("DAC"));
            parts.middle = AamvaNames::Middle(m_values.Get("DAD"));
        } else {
            AamvaNames::SplitGivenNames(m_values.Get("DCT"), parts);
        }
    }
    const std::string suffix = AamvaNames::Part(m_values.Get(Has("DCU") ? "DCU" : "DAE"));
    if (!suffix.empty())
        parts.suffix = suffix;
    m_record.lastName = parts.last;
    m_record.firstName = parts.first;
    m_record.middleName = parts.middle;
    m_record.nameSuffix = parts.suffix;
    m_record.name = AamvaNames::FullName(parts);
}

std::optional<CalendarDate> Filler::OptionalDate(std::string_view id, unsigned invalid) {
    const DateRead read = Date(id);
    if (read.present && !read.real)
        m_record.invalidDates |= invalid;
    return read.real;
}

// No real birth date, no age: the scan is unknown. The barcode carries the expiry day, so the card is
// valid through that day; an expiry that is no real date counts as expired.
void Filler::FillDates() {
    CardRecord& r = m_record;
    const DateRead birth = Date("DBB");
    if (!birth.real)
        throw std::logic_error(m_work.unknown);
    r.birth = birth.real;
    r.birthDate = birth.text;
    r.age = AgeAt(r.scanTime, birth.real->year, birth.real->month, birth.real->day);

    const DateRead expiry = Date("DBA");
    r.expirationDate = expiry.text;
    r.expiry = expiry.real;
    if (expiry.real) {
        r.expirationText = ExpiryText(expiry.real->year, expiry.real->month, expiry.real->day);
        r.expired = Today(r.scanTime) > *expiry.real;
    } else {
        r.expired = true;
        if (expiry.present)
            r.invalidDates |= kInvalidExpiry;
    }
    r.issue = OptionalDate("DBD", kInvalidIssue);
    r.under18 = OptionalDate("DDH", 0);
    r.under19 = OptionalDate("DDI", 0);
    r.under21 = OptionalDate("DDJ", kInvalidUnder21);
}

// 68 inches -> "508", the stripe's feet-and-inches form.
std::string FeetAndInches(int inches) {
    const int rest = inches % 12;
    return std::to_string(inches / 12) + (rest < 10 ? "0" : "") + std::to_string(rest);
}

std::string WithoutLeadingZeros(std::string digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

// "068 in" -> "508", "175 cm" -> "175 cm"; version 01 writes feet and inches ("510") already.
std::string Height(const std::string& value, int rulesVersion) {
    std::size_t digits = 0;
    while (digits < value.size() && digits < 3 && IsDigit(value[digits]))
        ++digits;
    if (digits == 0)
        return value;
    std::string unit = value.substr(digits);
    if (!unit.empty() && unit.front() == ' ')
        unit.erase(0, 1);
    for (char& c : unit)
        c = CardText::AsciiUpper(c);
    const int number = Number(std::string_view(value).substr(0, digits));
    if (unit == "IN" || (unit.empty() && rulesVersion > 1 && number < 100))
        return FeetAndInches(number);
    if (unit == "CM")
        return WithoutLeadingZeros(value.substr(0, digits)) + " cm";
    return value;
}

// As a person writes it: a US ZIP+4 whose last four digits are unknown ("0000") is the five-digit ZIP,
// a known one "95814-1234"; a Canadian code "K1A 0B1".
std::string PostalCode(const std::string& value) {
    std::string compact;
    for (const char c : value) {
        if (c != ' ' && c != '-')
            compact += c;
    }
    if (compact.size() == 9 && AllDigits(compact))
        return compact.substr(5) == "0000" ? compact.substr(0, 5) : compact.substr(0, 5) + "-" + compact.substr(5);
    const bool canadian = compact.size() == 6 && !IsDigit(compact[0]) && IsDigit(compact[1]) && !IsDigit(compact[2]) &&
                          IsDigit(compact[3]) && !IsDigit(compact[4]) && IsDigit(compact[5]);
    if (canadian)
        return compact.substr(0, 3) + " " + compact.substr(3);
    return value;
}

std::string Sex(const std::string& value) {
    const char code = value.size() == 1 ? CardText::AsciiUpper(value[0]) : '\0';
    switch (code) {
    case '1':
    case 'M':
        return "MALE";
    case '2':
    case 'F':
        return "FEMALE";
    case '9':
        return "NOT SPECIFIED";
    case 'X':
        return "X";
    default:
        return {};
    }
}

void Filler::FillDescription() {
    CardRecord& r = m_record;
    r.postalCode = PostalCode(Value("DAK"));
    r.sex = Sex(Value("DBC"));
    const std::string height = Value("DAU");
    const std::string centimetres = Value("DAV");
    r.height = !height.empty() || centimetres.empty() ? Height(height, m_card.rulesVersion)
                                                      : Height(centimetres + " cm", m_card.rulesVersion);
    r.weight = Value("DAW");
    const std::string kilograms = Value("DAX");
    if (r.weight.empty() && AllDigits(kilograms))
        r.weight = WithoutLeadingZeros(kilograms) + " kg";
    r.hairColor = Value("DAZ");
    r.eyeColor = Value("DAY");
    r.restrictions = Value(Has("DCB") ? "DCB" : "DAS");
    const auto flag = [this](std::string_view id) {
        const std::string value = Value(id);
        return value.empty() ? '\0' : value[0];
    };
    r.truncation = {flag("DDE"), flag("DDF"), flag("DDG")};
}

} // namespace

void Fill(const AamvaElementValues& values, const Card& card, const ScanWork& work, CardRecord& record) {
    Filler(values, card, work, record).Fill();
}

} // namespace MagneticStripeCards::AamvaFields
