#include "AamvaFields.h"

#include "AamvaNames.h"
#include "CardText.h"
#include "IinTable.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace MagneticStripeCards::AamvaFields {
namespace {

using namespace CardDates;

enum class DateOrder { YearFirst, MonthFirst }; // CCYYMMDD, MMDDCCYY

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

// Inline rather than CardText::TrimmedView: every value the fields read is trimmed.
std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && CardText::IsSpace(text.back()))
        text.remove_suffix(1);
    while (!text.empty() && CardText::IsSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

// A field of the fresh record set to `value`: appending to an empty string costs less than assigning.
void Put(std::string& field, std::string_view value) {
    field.clear();
    field.append(value);
}

struct DateRead {
    bool present = false;
    std::optional<CalendarDate> real;
    std::string_view value; // trimmed
    bool eightDigits = false;
    bool yearFirst = false; // of eight digits: the order that made a real date, else the card's

    // "MM/DD/CCYY" from the digits, or the value as written.
    void Text(std::string& out) const {
        if (!eightDigits) {
            Put(out, value);
            return;
        }
        const char* const v = value.data();
        const char* const month = yearFirst ? v + 4 : v;
        const char* const day = month + 2;
        const char* const year = yearFirst ? v : v + 4;
        const char text[] = {month[0], month[1], '/', day[0], day[1], '/', year[0], year[1], year[2], year[3]};
        out.assign(text, sizeof text);
    }
};

// Eight digits in the card's order. A value that is no date in that order but is one in the other is
// read in the other: the two orders never both give a date for years after 1299, so nothing is misread.
DateRead ReadDate(std::string_view raw, DateOrder order) {
    DateRead read;
    read.value = Trimmed(raw);
    read.present = !read.value.empty();
    read.yearFirst = order == DateOrder::YearFirst;
    if (read.value.size() != 8)
        return read;
    // All eight checked at once rather than each with a branch of its own.
    int d[8];
    bool digits = true;
    for (std::size_t i = 0; i < 8; ++i) {
        d[i] = static_cast<unsigned char>(read.value[i]) - '0';
        digits &= static_cast<unsigned>(d[i]) <= 9;
    }
    if (!digits)
        return read;
    read.eightDigits = true;
    const auto dateIn = [&d](bool yearFirst) {
        const int pair0 = d[0] * 10 + d[1], pair1 = d[2] * 10 + d[3];
        const int pair2 = d[4] * 10 + d[5], pair3 = d[6] * 10 + d[7];
        return yearFirst ? RealDate(pair0 * 100 + pair1, pair2, pair3) : RealDate(pair2 * 100 + pair3, pair0, pair1);
    };
    read.real = dateIn(read.yearFirst);
    if (!read.real) {
        read.real = dateIn(!read.yearFirst);
        if (read.real)
            read.yearFirst = !read.yearFirst;
    }
    return read;
}

// The slots of the elements the fields read, looked up once rather than by name at every card.
struct Slots {
    int daa = Slot("DAA"), dab = Slot("DAB"), dac = Slot("DAC"), dad = Slot("DAD"), dae = Slot("DAE");
    int dcs = Slot("DCS"), dct = Slot("DCT"), dcu = Slot("DCU");
    int daq = Slot("DAQ"), dag = Slot("DAG"), dah = Slot("DAH"), dai = Slot("DAI"), daj = Slot("DAJ");
    int dak = Slot("DAK"), dcg = Slot("DCG");
    int dbb = Slot("DBB"), dba = Slot("DBA"), dbd = Slot("DBD"), ddh = Slot("DDH"), ddi = Slot("DDI");
    int ddj = Slot("DDJ");
    int dbc = Slot("DBC"), dau = Slot("DAU"), dav = Slot("DAV"), daw = Slot("DAW"), dax = Slot("DAX");
    int daz = Slot("DAZ"), day = Slot("DAY"), dcb = Slot("DCB"), das = Slot("DAS");
    int dde = Slot("DDE"), ddf = Slot("DDF"), ddg = Slot("DDG");

    static const Slots& Get() {
        static const Slots slots;
        return slots;
    }

private:
    static int Slot(std::string_view id) { return AamvaElements::SlotOf(id); }
};

class Filler {
public:
    Filler(const AamvaElementValues& values, const Card& card, const ScanWork& work, CardRecord& record)
        : m_values(values), m_card(card), m_work(work), m_record(record), m_id(Slots::Get()) {}

    void Fill();

private:
    std::string_view Value(int slot) const { return Trimmed(m_values.Get(slot)); }
    bool Has(int slot) const { return m_values.Has(slot); }
    DateRead Date(int slot) const { return ReadDate(m_values.Get(slot), m_order); }

    void FillNames();
    void FillDates();
    void FillDescription();
    std::optional<CalendarDate> OptionalDate(int slot, unsigned invalid);

    const AamvaElementValues& m_values;
    const Card& m_card;
    const ScanWork& m_work;
    CardRecord& m_record;
    const Slots& m_id;
    DateOrder m_order = DateOrder::MonthFirst;
};

void Filler::Fill() {
    CardRecord& r = m_record;
    Put(r.documentType, m_card.documentType);
    r.aamvaVersion = m_card.version;
    Put(r.issuerIin, m_card.iin);
    r.isoIin = r.issuerIin;
    Put(r.dlNumber, Value(m_id.daq));
    FillNames();
    const std::string_view street = Value(m_id.dag);
    const std::string_view second = Value(m_id.dah);
    r.address.reserve(street.size() + second.size() + 1);
    Put(r.address, street);
    if (!second.empty()) {
        if (!street.empty())
            r.address += ' ';
        r.address += second;
    }
    Put(r.city, Value(m_id.dai));
    Put(r.state, Value(m_id.daj));
    Put(r.declaredCountry, Value(m_id.dcg));
    for (char& c : r.declaredCountry)
        c = CardText::AsciiUpper(c);
    r.country = IinTable::CardCountry(r.declaredCountry, r.issuerIin, r.state);
    // Version 01 and Canadian cards write CCYYMMDD, US cards of version 02 and up MMDDCCYY.
    m_order = m_card.rulesVersion == 1 || r.country == "CAN" ? DateOrder::YearFirst : DateOrder::MonthFirst;
    FillDates();
    FillDescription();
}

void Filler::FillNames() {
    CardRecord& r = m_record;
    if (Has(m_id.daa) && !Has(m_id.dcs) && !Has(m_id.dab)) {
        AamvaNames::Parts parts = AamvaNames::FromFullName(m_values.Get(m_id.daa));
        r.lastName = std::move(parts.last);
        r.firstName = std::move(parts.first);
        r.middleName = std::move(parts.middle);
        r.nameSuffix = std::move(parts.suffix);
    } else {
        Put(r.lastName, AamvaNames::PartView(m_values.Get(Has(m_id.dcs) ? m_id.dcs : m_id.dab)));
        if (Has(m_id.dac)) {
            Put(r.firstName, AamvaNames::PartView(m_values.Get(m_id.dac)));
            r.middleName = AamvaNames::Middle(m_values.Get(m_id.dad));
        } else {
            AamvaNames::Parts parts;
            AamvaNames::SplitGivenNames(m_values.Get(m_id.dct), parts);
            r.firstName = std::move(parts.first);
            r.middleName = std::move(parts.middle);
        }
    }
    const std::string_view suffix = AamvaNames::PartView(m_values.Get(Has(m_id.dcu) ? m_id.dcu : m_id.dae));
    if (!suffix.empty())
        Put(r.nameSuffix, suffix);
    r.name = AamvaNames::FullName(r.lastName, r.firstName, r.middleName, r.nameSuffix);
}

std::optional<CalendarDate> Filler::OptionalDate(int slot, unsigned invalid) {
    const DateRead read = Date(slot);
    if (read.present && !read.real)
        m_record.invalidDates |= invalid;
    return read.real;
}

// No real birth date, no age: the scan is unknown. The barcode carries the expiry day, so the card is
// valid through that day; an expiry that is no real date counts as expired.
void Filler::FillDates() {
    CardRecord& r = m_record;
    const DateRead birth = Date(m_id.dbb);
    if (!birth.real)
        throw std::logic_error(m_work.unknown);
    r.birth = birth.real;
    birth.Text(r.birthDate);
    r.age = AgeAt(r.scanTime, birth.real->year, birth.real->month, birth.real->day);

    const DateRead expiry = Date(m_id.dba);
    expiry.Text(r.expirationDate);
    r.expiry = expiry.real;
    if (expiry.real) {
        r.expirationText = ExpiryText(expiry.real->year, expiry.real->month, expiry.real->day);
        r.expired = Today(r.scanTime) > *expiry.real;
    } else {
        r.expired = true;
        if (expiry.present)
            r.invalidDates |= kInvalidExpiry;
    }
    r.issue = OptionalDate(m_id.dbd, kInvalidIssue);
    r.under18 = OptionalDate(m_id.ddh, 0);
    r.under19 = OptionalDate(m_id.ddi, 0);
    r.under21 = OptionalDate(m_id.ddj, kInvalidUnder21);
}

// Appends 0 to 999 in decimal.
void AppendNumber(std::string& out, int number) {
    if (number >= 100)
        out += static_cast<char>('0' + number / 100);
    if (number >= 10)
        out += static_cast<char>('0' + number / 10 % 10);
    out += static_cast<char>('0' + number % 10);
}

// 68 inches -> "508", the stripe's feet-and-inches form.
std::string FeetAndInches(int inches) {
    const int rest = inches % 12;
    std::string text;
    AppendNumber(text, inches / 12);
    if (rest < 10)
        text += '0';
    AppendNumber(text, rest);
    return text;
}

std::string_view WithoutLeadingZeros(std::string_view digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view("0") : digits.substr(first);
}

bool IsUnit(std::string_view unit, char first, char second) {
    return unit.size() == 2 && CardText::AsciiUpper(unit[0]) == first && CardText::AsciiUpper(unit[1]) == second;
}

// "068 in" -> "508", "175 cm" -> "175 cm"; version 01 writes feet and inches ("510") already.
std::string Height(std::string_view value, int rulesVersion) {
    std::size_t digits = 0;
    while (digits < value.size() && digits < 3 && IsDigit(value[digits]))
        ++digits;
    if (digits == 0)
        return std::string(value);
    std::string_view unit = value.substr(digits);
    if (!unit.empty() && unit.front() == ' ')
        unit.remove_prefix(1);
    const int number = Number(value.substr(0, digits));
    if (IsUnit(unit, 'I', 'N') || (unit.empty() && rulesVersion > 1 && number < 100))
        return FeetAndInches(number);
    if (IsUnit(unit, 'C', 'M'))
        return std::string(WithoutLeadingZeros(value.substr(0, digits))) + " cm";
    return std::string(value);
}

// As a person writes it: a US ZIP+4 whose last four digits are unknown ("0000") is the five-digit ZIP,
// a known one "95814-1234"; a Canadian code "K1A 0B1". Written into the record's field in place.
void PostalCode(std::string_view value, std::string& out) {
    char compact[16];
    std::size_t n = 0;
    for (const char c : value) {
        if (c == ' ' || c == '-')
            continue;
        if (n == sizeof compact)
            return Put(out, value); // longer than any code written another way
        compact[n++] = c;
    }
    const std::string_view code(compact, n);
    if (n == 9 && AllDigits(code)) {
        if (code.substr(5) == "0000")
            return Put(out, code.substr(0, 5));
        const char zip[] = {compact[0], compact[1], compact[2], compact[3], compact[4],
                            '-',        compact[5], compact[6], compact[7], compact[8]};
        return Put(out, std::string_view(zip, sizeof zip));
    }
    const bool canadian = n == 6 && !IsDigit(code[0]) && IsDigit(code[1]) && !IsDigit(code[2]) && IsDigit(code[3]) &&
                          !IsDigit(code[4]) && IsDigit(code[5]);
    if (canadian) {
        const char postal[] = {compact[0], compact[1], compact[2], ' ', compact[3], compact[4], compact[5]};
        return Put(out, std::string_view(postal, sizeof postal));
    }
    Put(out, value);
}

const char* Sex(std::string_view value) {
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
        return "";
    }
}

void Filler::FillDescription() {
    CardRecord& r = m_record;
    PostalCode(Value(m_id.dak), r.postalCode);
    r.sex = Sex(Value(m_id.dbc));
    const std::string_view height = Value(m_id.dau);
    const std::string_view centimetres = Value(m_id.dav);
    r.height = !height.empty() || centimetres.empty() ? Height(height, m_card.rulesVersion)
                                                      : Height(std::string(centimetres) + " cm", m_card.rulesVersion);
    Put(r.weight, Value(m_id.daw));
    const std::string_view kilograms = Value(m_id.dax);
    if (r.weight.empty() && AllDigits(kilograms)) {
        Put(r.weight, WithoutLeadingZeros(kilograms));
        r.weight += " kg";
    }
    Put(r.hairColor, Value(m_id.daz));
    Put(r.eyeColor, Value(m_id.day));
    Put(r.restrictions, Value(Has(m_id.dcb) ? m_id.dcb : m_id.das));
    const auto flag = [this](int slot) {
        const std::string_view value = Value(slot);
        return value.empty() ? '\0' : value[0];
    };
    r.truncation = {flag(m_id.dde), flag(m_id.ddf), flag(m_id.ddg)};
}

} // namespace

void Fill(const AamvaElementValues& values, const Card& card, const ScanWork& work, CardRecord& record) {
    Filler(values, card, work, record).Fill();
}

} // namespace MagneticStripeCards::AamvaFields
