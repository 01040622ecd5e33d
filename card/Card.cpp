#include "Card.h"

#include "BarcodeElements.h"
#include "CardText.h"
#include "StringTable.h"
#include "UnknownScanSink.h"

#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <stdexcept>

namespace MagneticStripeCards {
namespace {

using namespace CardText;

const std::string kThreeTracks = "%(.+)[\\?].*;(.+)[\\?].*(?:%|#)(.+)[\\?]";
const std::string kTrackTwoOnly = "(?:;)(.+)[\\?]";

const std::string kState = "(\\w{2})";
const std::string kCity[] = {"\\w{2}(.+)\\^.+\\^.+\\^", "\\w{2}(.+)\\W"};
const std::string kName[] = {".+\\^(.+)\\^.+\\^", ".+\\W(.+)\\^.+\\^", ".+\\^(.+)\\^.+\\$", "\\w+\\^(.+)\\^"};
const std::string kAddress[] = {".+\\^.+\\^(.+)\\^", ".+\\s.+\\^(.+)\\^", ".+\\^.+\\^(.+)\\$"};

const std::string kDlNumber = "\\d{6}(\\d+)=";
const std::string kDlOverflow = "\\d+=\\d{12}(\\d+)\\D";
const std::string kExpiryPart = "\\d{6}\\d+=(\\d{4})";
const std::string kBirthPart = "\\d+=\\d{4}(\\d{8})";

constexpr int kCodeNonExpiring = 77;
constexpr int kCodeFirstOfBirthMonth = 88;
constexpr int kCodeBirthday = 99;

// The barcode's strict conversion: optional sign and digits, nothing else.
std::optional<int> StrictInt(const std::string& text) {
    int value = 0;
    if (!boost::conversion::try_lexical_convert(text, value))
        return std::nullopt;
    return value;
}

int CurrentYear(const std::tm& t) {
    return t.tm_year + 1900;
}
int CurrentMonth(const std::tm& t) {
    return t.tm_mon + 1;
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

std::string JoinDate(const std::string& month, const std::string& day, const std::string& year) {
    return month + "/" + day + "/" + year;
}

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
};

} // namespace

struct Card::StripeDates {
    int expiryYear = 0;
    int expiryMonth = 0;
    int expiryDay = 0;
    int birthYear = 0;
    int birthMonth = 0;
    int birthDay = 0;
};

Card::Card(const std::string& swipe) : Card(swipe, SystemClock::Instance()) {}

Card::Card(const std::string& swipe, const Clock& clock) {
    std::string unknown;
    try {
        unknown = Resources::String(Resources::IDS_UNKNOWN_DL);
        scanTime = clock.LocalNow();
        matcher.Hook(this, &Card::OnMatchingHandler);
        Decode(swipe, clock, unknown);
    } catch (const std::logic_error&) {
        Reject();
        throw;
    } catch (...) {
        // Regex complexity limits, memory exhaustion: to the station these are scans it cannot read.
        Reject();
        throw std::logic_error(unknown.empty() ? "Unknown DL" : unknown);
    }
    matcher.Unhook(this, &Card::OnMatchingHandler);
}

Card::~Card() = default;

void Card::Reject() noexcept {
    if (UnknownScanSink* const sink = InstalledUnknownScanSink())
        sink->Reject(matcher.Text());
    matcher.Unhook(this, &Card::OnMatchingHandler);
}

void Card::OnMatchingHandler(RegexClass::RegularExpression*, const RegexClass::CaptureList& list, int, int) {
    captures = list;
}

std::string Card::ExtractGroup(const std::string& pattern) {
    matcher.SetPattern(pattern);
    if (!matcher.Match() || captures.size() < 2)
        return {};
    return captures[1].text;
}

void Card::Decode(const std::string& swipe, const Clock& clock, const std::string& unknown) {
    matcher.AddMatchOption(10);
    if (!SplitTracks(swipe)) {
        const std::string& subject = matcher.Text();
        const char first = subject.at(0); // an empty scan has no first character: std::out_of_range
        if (first != '@' && first != '"')
            throw std::logic_error(unknown);
        DecodeBarcode(subject, clock, unknown);
        return;
    }
    DecodeTrack1();
    const StripeDates dates = DecodeTrack2();
    DecodeTrack3();
    FinishStripeDates(dates);
}

bool Card::SplitTracks(const std::string& swipe) {
    std::string text = swipe;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    matcher.SetPattern(kThreeTracks);
    matcher.SetText(std::move(text));
    if (matcher.Match()) {
        for (std::size_t i = 0; i < tracks.size(); ++i)
            tracks[i] = captures[i + 1].text;
        return true;
    }
    matcher.SetPattern(kTrackTwoOnly);
    if (!matcher.Match())
        return false;
    tracks[1] = captures[1].text;
    return true;
}

void Card::DecodeTrack1() {
    matcher.SetText(tracks[0]);
    state = ExtractGroup(kState);
    for (const auto& pattern : kCity) {
        if (city.empty())
            city = ExtractGroup(pattern);
    }
    for (const auto& pattern : kName) {
        if (name.empty())
            name = ExtractGroup(pattern);
    }
    ReplaceAll(name, '$', ' ');
    Trim(name);
    address = ExtractGroup(kAddress[0]);
    if (address.empty()) {
        address = ExtractGroup(kAddress[1]);
        if (address.empty())
            address = ExtractGroup(kAddress[2]);
    }
    ReplaceAll(address, '$', ' ');
    ReplaceAll(address, ',', ' ');
    Trim(address);
}

Card::StripeDates Card::DecodeTrack2() {
    matcher.SetText(tracks[1]);
    isoIin = tracks[1].substr(0, 6);
    dlNumber = ExtractGroup(kDlNumber);
    dlNumber += ExtractGroup(kDlOverflow);
    expirationDate = ExtractGroup(kExpiryPart);
    birthDate = ExtractGroup(kBirthPart);

    StripeDates d;
    d.expiryYear = LeadingNumber(SubRange(expirationDate, 0, 2));
    d.expiryMonth = LeadingNumber(SubRange(expirationDate, 2, 2)); // empty part: std::out_of_range
    d.birthYear = LeadingNumber(SubRange(birthDate, 0, 4));
    d.birthMonth = LeadingNumber(SubRange(birthDate, 4, 2)); // empty part: std::out_of_range
    d.birthDay = LeadingNumber(SubRange(birthDate, 6, 2));
    d.expiryDay = d.birthDay;
    if (d.birthMonth > 12)
        d.birthMonth = d.expiryMonth;
    d.expiryYear += d.expiryYear < 70 ? 2000 : 1900;

    const std::string year = std::to_string(d.expiryYear);
    switch (d.expiryMonth) {
    case kCodeNonExpiring:
        expirationDate = "NON-EXPIRING";
        d.expiryMonth = 1;
        d.expiryYear = 2035;
        break;
    case kCodeFirstOfBirthMonth:
        expirationDate = std::to_string(d.birthMonth) + "/01/" + year;
        d.expiryMonth = d.birthMonth;
        d.expiryDay = 1;
        break;
    case kCodeBirthday:
        expirationDate = JoinDate(std::to_string(d.birthMonth), std::to_string(d.birthDay), year);
        d.expiryMonth = d.birthMonth;
        break;
    default:
        expirationDate = JoinDate(std::to_string(d.expiryMonth), std::to_string(d.birthDay), year);
        break;
    }
    return d;
}

// AAMVA track 3 fixed positions. A read that starts past the end ends the step and leaves the rest empty;
// a read that starts exactly at the end gives an empty field.
void Card::DecodeTrack3() {
    matcher.SetText(tracks[2]);
    const std::string& t = tracks[2];
    if (t.size() < 2)
        return;
    postalCode = t.substr(2, 11);
    Trim(postalCode);
    if (t.size() < 15)
        return;
    restrictions = t.substr(15, 10);
    Trim(restrictions);
    if (t.size() <= 29)
        return;
    const char code = AsciiUpper(t[29]);
    if (code == '1' || code == 'M')
        sex = "MALE";
    else if (code == '2' || code == 'F')
        sex = "FEMALE";
    std::string* const tail[] = {&height, &weight, &hairColor, &eyeColor};
    std::size_t pos = 30;
    for (std::string* field : tail) {
        if (pos > t.size())
            return;
        *field = t.substr(pos, 3);
        pos += 3;
    }
}

void Card::FinishStripeDates(const StripeDates& d) {
    age = AgeAt(scanTime, d.birthYear, d.birthMonth, d.birthDay);
    expired = ExpiredAt(scanTime, d.expiryYear, d.expiryMonth);
    expirationText = MonthName(d.expiryMonth) + "-" + std::to_string(d.expiryDay) + "-" + std::to_string(d.expiryYear);
    birthDate = JoinDate(std::to_string(d.birthMonth), std::to_string(d.birthDay), std::to_string(d.birthYear));
}

void Card::DecodeBarcode(const std::string& text, const Clock& clock, const std::string& unknown) {
    const BarcodeElements elements(text); // a missing ID: std::out_of_range
    const auto value = [&elements](const char* id) -> std::optional<std::string> {
        const auto v = elements.Value(id);
        return v ? std::optional<std::string>(std::string(*v)) : std::nullopt;
    };
    const auto trimmed = [&value](const char* id, std::string& field) {
        if (const auto v = value(id))
            field = TrimCopy(*v);
    };
    trimmed("DAQ", dlNumber);
    if (const auto v = value("DAA")) {
        name = TrimCopy(*v);
        for (const char separator : {'@', ',', ';', '^'})
            ReplaceAll(name, separator, ' ');
    }
    trimmed("DAG", address);
    if (const auto v = value("DAH")) {
        address += " " + *v;
        Trim(address);
    }
    trimmed("DAI", city);
    trimmed("DAJ", state);
    trimmed("DAK", postalCode);
    trimmed("DAS", restrictions);
    trimmed("DAU", height);
    trimmed("DAW", weight);
    if (const auto v = value("DBA"))
        ApplyBarcodeExpiry(*v);
    if (const auto v = value("DBB"))
        ApplyBarcodeBirth(*v, clock, unknown);
    if (const auto v = value("DBC")) {
        const std::string code = TrimCopy(*v);
        sex = code == "1" || code == "M" ? "MALE" : "FEMALE";
    }
}

// An expiry that does not convert leaves `expired` and `expirationText` as they were.
void Card::ApplyBarcodeExpiry(const std::string& value) {
    const BarcodeDate date(value);
    if (date.Converted()) {
        expired = ExpiredAt(scanTime, *date.y, *date.m);
        expirationText = MonthName(*date.m) + "-" + std::to_string(*date.d) + "-" + std::to_string(*date.y);
    }
    expirationDate = date.Text();
}

// A birth date that does not convert leaves no age to show: the scan is unknown.
void Card::ApplyBarcodeBirth(const std::string& value, const Clock& clock, const std::string& unknown) {
    const BarcodeDate date(value);
    if (!date.Converted())
        throw std::logic_error(unknown);
    birthDate = date.Text();
    scanTime = clock.LocalNow();
    age = AgeAt(scanTime, *date.y, *date.m, *date.d);
}

const std::string& Card::EyeColor() const {
    return eyeColor;
}
const std::string& Card::HairColor() const {
    return hairColor;
}
const std::string& Card::Weight() const {
    return weight;
}
const std::string& Card::Height() const {
    return height;
}
const std::string& Card::Sex() const {
    return sex;
}
const std::string& Card::Restrictions() const {
    return restrictions;
}
const std::string& Card::PostalCode() const {
    return postalCode;
}
const std::string& Card::BirthDate() const {
    return birthDate;
}
const std::string& Card::ExpirationDate() const {
    return expirationDate;
}
const std::string& Card::DlNumber() const {
    return dlNumber;
}
const std::string& Card::IsoIin() const {
    return isoIin;
}
const std::string& Card::Address() const {
    return address;
}
const std::string& Card::Name() const {
    return name;
}
const std::string& Card::State() const {
    return state;
}
const std::string& Card::City() const {
    return city;
}
std::int32_t Card::Age() const {
    return age;
}
bool Card::Expired() const {
    return expired;
}
const std::tm& Card::ScanTime() const {
    return scanTime;
}
const std::array<std::string, 3>& Card::Tracks() const {
    return tracks;
}

std::string Card::DisplayName() const {
    std::string text = name;
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
    return std::to_string(age);
}

std::string Card::ExpirationText() const {
    return expirationText;
}

std::string Card::ResultLine() const {
    std::string shown = DisplayName();
    if (shown.empty())
        shown = Resources::String(Resources::IDS_NOT_AVAILABLE);
    return AscTime24(scanTime).substr(11, 8) + " - " + shown + ", " + AgeText() + " years";
}

// Column order of the scan log's header line. Fields are quoted; a quote inside a field is doubled
// (RFC 4180) so that no card text can end its field early.
std::string Card::LogRow() const {
    return LogRow(true);
}

std::string Card::LogRow(bool personalData) const {
    const std::string date = std::to_string(scanTime.tm_mon + 1) + "/" + std::to_string(scanTime.tm_mday) + "/" +
                             std::to_string(scanTime.tm_year + 1900);
    const std::string time = std::to_string(scanTime.tm_hour) + ":" + std::to_string(scanTime.tm_min) + ":" +
                             std::to_string(scanTime.tm_sec);
    const std::string none;
    const auto personal = [&](const std::string& field) { return personalData ? &field : &none; };
    const std::string* const fields[] = {personal(name),
                                         &sex,
                                         &state,
                                         personal(city),
                                         personal(address),
                                         personal(postalCode),
                                         personal(birthDate),
                                         personal(dlNumber),
                                         &expirationDate,
                                         personal(isoIin),
                                         personal(restrictions),
                                         personal(height),
                                         personal(weight),
                                         personal(hairColor),
                                         personal(eyeColor)};
    std::string row;
    AppendCsvField(row, AscTime24(scanTime));
    row += ',';
    AppendCsvField(row, *fields[0]);
    row += ',';
    AppendCsvField(row, AgeText());
    for (std::size_t i = 1; i < std::size(fields); ++i) {
        row += ',';
        AppendCsvField(row, *fields[i]);
    }
    row += ',';
    AppendCsvField(row, date);
    row += ',';
    AppendCsvField(row, time);
    return row;
}

std::string Card::MonthName(int month) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? kMonths[month - 1] : "";
}

std::string AscTime24(const std::tm& t) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* day = t.tm_wday >= 0 && t.tm_wday < 7 ? kDays[t.tm_wday] : "???";
    const char* month = t.tm_mon >= 0 && t.tm_mon < 12 ? kMonths[t.tm_mon] : "???";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s %s %02d %02d:%02d:%02d %d", day, month, t.tm_mday, t.tm_hour, t.tm_min,
                  t.tm_sec, t.tm_year + 1900);
    return buffer;
}

} // namespace MagneticStripeCards
