#include "Card.h"

#include "CardFields.h"
#include "CardText.h"
#include "LegacyBarcodeFormat.h"
#include "ScanFormat.h"
#include "StringTable.h"
#include "UnknownScanSink.h"

#include <exception>
#include <optional>
#include <stdexcept>

namespace MagneticStripeCards {
namespace {

using namespace CardText;

std::string IsoOrEmpty(const std::optional<CalendarDate>& date) {
    return date ? CardDates::Iso(*date) : std::string();
}

// The log row's fields by column, from the one table of fields.
const std::array<const CardField*, kLogColumns>& LogColumns() {
    static const std::array<const CardField*, kLogColumns> columns = [] {
        std::array<const CardField*, kLogColumns> byColumn{};
        for (const CardField& field : CardFields()) {
            if (field.logColumn != kNoLogColumn)
                byColumn[static_cast<std::size_t>(field.logColumn)] = &field;
        }
        return byColumn;
    }();
    return columns;
}

// "Unknown DL", looked up once: every scan needs it at hand for its failure.
const std::string& UnknownText() {
    static const std::string text = [] {
        std::string found = Resources::String(Resources::IDS_UNKNOWN_DL);
        return found.empty() ? std::string("Unknown DL") : found;
    }();
    return text;
}

} // namespace

Card::Card(const std::string& swipe) : Card(swipe, SystemClock::Instance()) {}

// What the unknown-swipe file gets when no format decodes the scan: nothing before decoding starts, then
// the text without carriage returns, or the part of it a format failed on.
struct Card::Subject {
    std::string withoutReturns; // the text, when the swipe had carriage returns and a format asked for it
    std::string failedPart;
    std::optional<ScanWork> work; // from the moment decoding starts

    const std::string& Rejected() const {
        if (!failedPart.empty() || !work)
            return failedPart;
        return work->Text();
    }
};

Card::Card(const std::string& swipe, const Clock& clock) {
    Subject subject;
    try {
        record.scanTime = clock.LocalNow();
        Decode(subject.work.emplace(
            ScanWork::MakingText(swipe, subject.withoutReturns, clock, UnknownText(), subject.failedPart)));
        warnings = FindWarnings(record);
    } catch (const std::logic_error&) {
        Reject(subject);
        throw;
    } catch (...) {
        // Regex complexity limits, memory exhaustion: to the station these are scans it cannot read.
        Reject(subject);
        throw std::logic_error(UnknownText());
    }
}

Card::~Card() = default;

void Card::Reject(const Subject& subject) noexcept {
    UnknownScanSink* const sink = InstalledUnknownScanSink();
    if (sink == nullptr)
        return;
    const std::string* rejected = &subject.failedPart;
    try {
        rejected = &subject.Rejected();
    } catch (...) {
        // No memory left for the text without carriage returns: the swipe as it came.
        rejected = &subject.work->swipe;
    }
    sink->Reject(*rejected);
}

// Every format gets its turn until one decodes the scan. A format that takes the scan but cannot read it
// leaves the later formats their turn; when none decodes it, the first such failure stands.
void Card::Decode(const ScanWork& work) {
    std::exception_ptr failure;
    const std::tm scanTime = record.scanTime;
    for (const ScanFormat* format : ScanFormats()) {
        // A format that does not take the scan leaves the record untouched; one that fails may not.
        try {
            if (!format->Decode(work, record))
                continue;
        } catch (const std::logic_error&) {
            if (!failure)
                failure = std::current_exception();
            record = CardRecord{};
            record.scanTime = scanTime;
            continue;
        }
        record.format = format->Name();
        return;
    }
    if (failure)
        std::rethrow_exception(failure);
    LegacyBarcodeFormat::RejectUnclaimed(work.Text(), work.unknown);
}

const std::string& Card::EyeColor() const {
    return record.eyeColor;
}
const std::string& Card::HairColor() const {
    return record.hairColor;
}
const std::string& Card::Weight() const {
    return record.weight;
}
const std::string& Card::Height() const {
    return record.height;
}
const std::string& Card::Sex() const {
    return record.sex;
}
const std::string& Card::Restrictions() const {
    return record.restrictions;
}
const std::string& Card::PostalCode() const {
    return record.postalCode;
}
const std::string& Card::BirthDate() const {
    return record.birthDate;
}
const std::string& Card::ExpirationDate() const {
    return record.expirationDate;
}
const std::string& Card::DlNumber() const {
    return record.dlNumber;
}
const std::string& Card::IsoIin() const {
    return record.isoIin;
}
const std::string& Card::Address() const {
    return record.address;
}
const std::string& Card::Name() const {
    return record.name;
}
const std::string& Card::State() const {
    return record.state;
}
const std::string& Card::City() const {
    return record.city;
}
std::int32_t Card::Age() const {
    return record.age;
}
bool Card::Expired() const {
    return record.expired;
}
const std::tm& Card::ScanTime() const {
    return record.scanTime;
}
const std::array<std::string, 3>& Card::Tracks() const {
    return record.tracks;
}

std::string Card::Format() const {
    return record.format;
}
std::optional<int> Card::AamvaVersion() const {
    return record.aamvaVersion;
}
const std::string& Card::DocumentType() const {
    return record.documentType;
}
const std::string& Card::LastName() const {
    return record.lastName;
}
const std::string& Card::FirstName() const {
    return record.firstName;
}
const std::string& Card::MiddleName() const {
    return record.middleName;
}
const std::string& Card::NameSuffix() const {
    return record.nameSuffix;
}
const std::string& Card::Country() const {
    return record.country;
}
const NameTruncation& Card::Truncation() const {
    return record.truncation;
}

std::string Card::SexCode() const {
    if (record.sex == "MALE")
        return "M";
    if (record.sex == "FEMALE")
        return "F";
    return record.sex == "X" ? "X" : "U";
}

std::string Card::BirthDateIso() const {
    return IsoOrEmpty(record.birth);
}
std::string Card::ExpirationDateIso() const {
    return IsoOrEmpty(record.expiry);
}
std::string Card::IssueDateIso() const {
    return IsoOrEmpty(record.issue);
}
std::string Card::Under18Until() const {
    return IsoOrEmpty(record.under18);
}
std::string Card::Under19Until() const {
    return IsoOrEmpty(record.under19);
}
std::string Card::Under21Until() const {
    return IsoOrEmpty(record.under21);
}

// The barcode's under-21 date stands where it is a real date that agrees with the birth date.
std::optional<CalendarDate> Card::ComesOfAgeOn(int validAge) const {
    constexpr int kMostYears = 200;
    if (!record.birth || validAge < 0 || validAge > kMostYears)
        return std::nullopt;
    const CalendarDate due = CardDates::AddYears(*record.birth, validAge);
    if (validAge == 21 && record.under21 && *record.under21 == due)
        return record.under21;
    return due;
}

const std::vector<CardWarning>& Card::Warnings() const {
    return warnings;
}

std::string Card::DisplayName() const {
    std::string text = record.name;
    ReplaceAll(text, ',', ' ');
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    bool startOfWord = true;
    for (char& c : text) {
        c = startOfWord ? AsciiUpper(c) : AsciiLower(c);
        startOfWord = c == ' ';
    }
    return text;
}

std::string Card::AgeText() const {
    return std::to_string(record.age);
}

std::string Card::ExpirationText() const {
    return record.expirationText;
}

std::string Card::ResultLine() const {
    std::string shown = DisplayName();
    if (shown.empty())
        shown = Resources::String(Resources::IDS_NOT_AVAILABLE);
    return AscTime24(record.scanTime).substr(11, 8) + " - " + shown + ", " + AgeText() + " years";
}

std::string Card::LogRow() const {
    return LogRow(true);
}

// Column order of the scan log's header line. Fields are quoted; a quote inside a field is doubled
// (RFC 4180) so that no card text can end its field early.
std::string Card::LogRow(bool personalData) const {
    return LogRow([personalData](const CardField& field) { return personalData || !field.personal; });
}

std::string Card::LogRow(const std::function<bool(const CardField&)>& keep) const {
    std::string row;
    // Room for a usual row at once: growing it field by field cost more than the fields.
    row.reserve(320);
    AppendLogRow(row, keep);
    return row;
}

void Card::AppendLogRow(std::string& row) const {
    AppendLogRow(row, [](const CardField&) { return true; });
}

void Card::AppendLogRow(std::string& row, const std::function<bool(const CardField&)>& keep) const {
    bool first = true;
    for (const CardField* field : LogColumns()) {
        if (!first)
            row += ',';
        first = false;
        if (!keep(*field)) {
            AppendCsvField(row, std::string_view());
            continue;
        }
        // The Card's own texts go in as they are; only numbers and lists are made into text.
        const FieldValue value = field->read(*this);
        if (const auto* held = std::get_if<std::string_view>(&value))
            AppendCsvField(row, *held);
        else if (const auto* made = std::get_if<std::string>(&value))
            AppendCsvField(row, *made);
        else
            AppendCsvField(row, FieldText(value));
    }
}

std::string Card::MonthName(int month) {
    return CardDates::MonthName(month);
}

} // namespace MagneticStripeCards
