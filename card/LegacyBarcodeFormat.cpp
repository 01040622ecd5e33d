#include "LegacyBarcodeFormat.h"

#include "AamvaHeader.h"
#include "AamvaNames.h"
#include "BarcodeElements.h"
#include "CardText.h"
#include "IinTable.h"

#include <cstring>
#include <optional>
#include <stdexcept>

namespace MagneticStripeCards {
namespace {

using namespace CardText;
using namespace CardDates;

// A barcode date CCYYMMDD taken apart by position (a short value gives short or empty parts) and
// converted month first, then year, then day; a failed conversion leaves the rest unconverted.
struct BarcodeDate {
    std::string year, month, day;
    std::optional<int> y, m, d;

    explicit BarcodeDate(const std::string& value)
        : year(ClampedPart(value, 0, 4)), month(ClampedPart(value, 4, 2)), day(ClampedPart(value, 6, 2)) {
        m = StrictInt(month);
        y = m ? StrictInt(year) : std::nullopt;
        d = y ? StrictInt(day) : std::nullopt;
    }
    bool Converted() const { return d.has_value(); }
    std::string Text() const { return JoinDate(month, day, year); }
    // The calendar date, when the numbers make one; marks `invalid` in `record` when they do not.
    std::optional<CalendarDate> Real(CardRecord& record, unsigned invalid) const {
        const auto date = Converted() ? RealDate(*y, *m, *d) : std::nullopt;
        if (!date)
            record.invalidDates |= invalid;
        return date;
    }
};

class LegacyDecoder {
public:
    LegacyDecoder(const BarcodeElements& elements, const ScanWork& work, CardRecord& record)
        : m_elements(elements), m_work(work), m_record(record) {}

    void Decode();

private:
    std::optional<std::string> Value(const char* id) const {
        const auto v = m_elements.Value(id);
        return v ? std::optional<std::string>(std::string(*v)) : std::nullopt;
    }
    void Trimmed(const char* id, std::string& field) const {
        if (const auto v = m_elements.Value(id))
            field = TrimmedView(*v);
    }
    void ApplyExpiry(const std::string& value);
    void ApplyBirth(const std::string& value);
    void AddCardData();

    const BarcodeElements& m_elements;
    const ScanWork& m_work;
    CardRecord& m_record;
};

void LegacyDecoder::Decode() {
    CardRecord& r = m_record;
    Trimmed("DAQ", r.dlNumber);
    if (const auto v = m_elements.Value("DAA")) {
        r.name = TrimmedView(*v);
        for (const char separator : {'@', ',', ';', '^'})
            ReplaceAll(r.name, separator, ' ');
    }
    Trimmed("DAG", r.address);
    if (const auto v = Value("DAH")) {
        r.address += " " + *v;
        Trim(r.address);
    }
    Trimmed("DAI", r.city);
    Trimmed("DAJ", r.state);
    Trimmed("DAK", r.postalCode);
    Trimmed("DAS", r.restrictions);
    Trimmed("DAU", r.height);
    Trimmed("DAW", r.weight);
    if (const auto v = Value("DBA"))
        ApplyExpiry(*v);
    if (const auto v = Value("DBB"))
        ApplyBirth(*v);
    if (const auto v = m_elements.Value("DBC")) {
        const std::string_view code = TrimmedView(*v);
        r.sex = code == "1" || code == "M" ? "MALE" : "FEMALE";
    }
    AddCardData();
}

// An expiry that does not convert leaves `expired` and `expirationText` as they were.
void LegacyDecoder::ApplyExpiry(const std::string& value) {
    const BarcodeDate date(value);
    if (date.Converted()) {
        m_record.expired = ExpiredAt(m_record.scanTime, *date.y, *date.m);
        m_record.expirationText = ExpiryText(*date.y, *date.m, *date.d);
    }
    m_record.expirationDate = date.Text();
    m_record.expiry = date.Real(m_record, kInvalidExpiry);
}

// A birth date that does not convert leaves no age to show: the scan is unknown.
void LegacyDecoder::ApplyBirth(const std::string& value) {
    const BarcodeDate date(value);
    if (!date.Converted())
        throw std::logic_error(m_work.unknown);
    m_record.birthDate = date.Text();
    m_record.scanTime = m_work.clock.LocalNow();
    m_record.age = AgeAt(m_record.scanTime, *date.y, *date.m, *date.d);
    m_record.birth = date.Real(m_record, kInvalidBirth);
}

// What these rules never read, for kestrin-decode and the hints: the header's issuer and version, the
// structured name, the issue date.
void LegacyDecoder::AddCardData() {
    CardRecord& r = m_record;
    if (const auto header = AamvaHeader::Parse(m_work.Text())) {
        r.issuerIin = std::string(header->iin);
        r.aamvaVersion = header->version;
    }
    if (const auto full = m_elements.Value("DAA")) {
        const AamvaNames::Parts parts = AamvaNames::FromFullName(TrimmedView(*full));
        r.lastName = parts.last;
        r.firstName = parts.first;
        r.middleName = parts.middle;
        r.nameSuffix = parts.suffix;
    }
    if (const auto issued = Value("DBD")) {
        const std::string value = TrimCopy(*issued);
        if (value.size() == 8 && value.find_first_not_of("0123456789") == std::string::npos)
            r.issue = BarcodeDate(value).Real(r, kInvalidIssue);
    }
    r.country = IinTable::CardCountry("", r.issuerIin, r.state);
}

// Whether the two bytes before `at`, carriage returns left out, are "DB".
bool PrecededByDb(const char* begin, const char* at) {
    const char* p = at;
    for (const char wanted : {'B', 'D'}) {
        do {
            if (p == begin)
                return false;
            --p;
        } while (*p == '\r');
        if (*p != wanted)
            return false;
    }
    return true;
}

// Whether "DB" + `third` occurs in `text` once its carriage returns are left out, found by the rarer
// third letter: barcodes hold a 'D' and a 'B' in every other element. A text dense with that letter is
// read byte by byte after a few dozen of them, where a memchr for each would cost more than the bytes.
bool HasDbId(std::string_view text, char third) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    constexpr int kSearches = 64;
    const char* p = begin;
    for (int searches = 0; p < end && searches < kSearches; ++searches) {
        const auto* hit = static_cast<const char*>(std::memchr(p, third, static_cast<std::size_t>(end - p)));
        if (hit == nullptr)
            return false;
        if (PrecededByDb(begin, hit))
            return true;
        p = hit + 1;
    }
    for (; p < end; ++p) {
        if (*p == third && PrecededByDb(begin, p))
            return true;
    }
    return false;
}

} // namespace

bool LegacyBarcodeFormat::CannotTake(std::string_view text) {
    const std::size_t first = text.find_first_not_of('\r');
    if (first == std::string_view::npos || (text[first] != '@' && text[first] != '"'))
        return true;
    // BarcodeElements finds every ID but DBD at its first occurrence, so without "DBJ" it finds no DBJ.
    return !HasDbId(text, 'J');
}

bool LegacyBarcodeFormat::Decode(const ScanWork& work, CardRecord& record) const {
    const std::string& text = work.Text();
    if (text.empty() || (text[0] != '@' && text[0] != '"'))
        return false;
    const auto elements = BarcodeElements::Find(text);
    if (!elements)
        return false;
    LegacyDecoder(*elements, work, record).Decode();
    return true;
}

void LegacyBarcodeFormat::RejectUnclaimed(const std::string& text, const std::string& unknown) {
    const char first = text.at(0); // an empty scan has no first character: std::out_of_range
    if (first != '@' && first != '"')
        throw std::logic_error(unknown);
    throw std::out_of_range("barcode element missing");
}

} // namespace MagneticStripeCards
