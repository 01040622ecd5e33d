#include "StripeFormat.h"

#include "CardText.h"
#include "CompiledPattern.h"
#include "IinTable.h"
#include "PaymentCard.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace MagneticStripeCards {
namespace {

using namespace CardText;
using namespace CardDates;
using RegexClass::CompiledPattern;
using RegexClass::RegularExpression;

// The field rules' patterns, compiled once for all scans.
struct StripePatterns {
    CompiledPattern threeTracks{"%(.+)[\\?].*;(.+)[\\?].*(?:%|#)(.+)[\\?]"};
    CompiledPattern trackTwoOnly{"(?:;)(.+)[\\?]"};
    // Several jurisdictions write no track 3. Track 2 must start with a digit here, so that a text of
    // sentinels alone is not taken for two tracks.
    CompiledPattern tracksOneAndTwo{"%(.+)[\\?].*;(\\d.*)[\\?]"};

    CompiledPattern state{"(\\w{2})"};
    std::array<CompiledPattern, 2> city{CompiledPattern("\\w{2}(.+)\\^.+\\^.+\\^"), CompiledPattern("\\w{2}(.+)\\W")};
    std::array<CompiledPattern, 4> name{CompiledPattern(".+\\^(.+)\\^.+\\^"), CompiledPattern(".+\\W(.+)\\^.+\\^"),
                                        CompiledPattern(".+\\^(.+)\\^.+\\$"), CompiledPattern("\\w+\\^(.+)\\^")};
    std::array<CompiledPattern, 3> address{CompiledPattern(".+\\^.+\\^(.+)\\^"), CompiledPattern(".+\\s.+\\^(.+)\\^"),
                                           CompiledPattern(".+\\^.+\\^(.+)\\$")};

    CompiledPattern dlNumber{"\\d{6}(\\d+)="};
    CompiledPattern dlOverflow{"\\d+=\\d{12}(\\d+)\\D"};
    CompiledPattern expiryPart{"\\d{6}\\d+=(\\d{4})"};
    CompiledPattern birthPart{"\\d+=\\d{4}(\\d{8})"};
};

const StripePatterns& Patterns() {
    static const StripePatterns patterns;
    return patterns;
}

constexpr int kCodeNonExpiring = 77;
constexpr int kCodeFirstOfBirthMonth = 88;
constexpr int kCodeBirthday = 99;

// AAMVA track 1: state (2) and city (up to 13) come before the first '^'.
constexpr std::size_t kStateAndCity = 15;

// The working numbers of the track-2 date rules.
struct StripeDates {
    int expiryYear = 0;
    int expiryMonth = 0;
    int expiryDay = 0;
    int birthYear = 0;
    int birthMonth = 0;
    int birthDay = 0;
};

// Capture 1 of the pattern matched against the matcher's subject, or an empty text.
std::string ExtractGroup(RegularExpression& matcher, const CompiledPattern& pattern) {
    matcher.SetPattern(pattern);
    if (!matcher.Match() || matcher.Captures().size() < 2)
        return {};
    return std::string(matcher.Captures()[1].text);
}

bool SplitTracks(RegularExpression& matcher, std::array<std::string, 3>& tracks) {
    // Every split pattern starts with '%' or ';' and must match from the first character.
    const std::string& text = matcher.Text();
    if (text.empty() || (text[0] != '%' && text[0] != ';'))
        return false;
    matcher.SetPattern(Patterns().threeTracks);
    if (matcher.Match()) {
        for (std::size_t i = 0; i < tracks.size(); ++i)
            tracks[i] = matcher.Captures()[i + 1].text;
        return true;
    }
    matcher.SetPattern(Patterns().trackTwoOnly);
    if (matcher.Match()) {
        tracks[1] = matcher.Captures()[1].text;
        return true;
    }
    matcher.SetPattern(Patterns().tracksOneAndTwo);
    if (!matcher.Match())
        return false;
    tracks[0] = matcher.Captures()[1].text;
    tracks[1] = matcher.Captures()[2].text;
    return true;
}

// A licence's track 2 starts with ';', the six digits of its issuer number, more digits and '='. The
// sentinels are looked for with std::find rather than a library call per sentinel: a text made of
// sentinels has half a million of them in a megabyte.
std::size_t LicenceTrackTwoCount(const std::string& text) {
    std::size_t count = 0;
    const auto end = text.end();
    for (auto at = std::find(text.begin(), end, ';'); at != end; at = std::find(at + 1, end, ';')) {
        const auto digitsEnd = std::find_if(at + 1, end, [](char c) { return c < '0' || c > '9'; });
        if (digitsEnd - (at + 1) > 6 && digitsEnd != end && *digitsEnd == '=')
            ++count;
    }
    return count;
}

std::string LeadingDigits(const std::string& text) {
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    return text.substr(0, n);
}

// Two cards typed into one scan (a second swipe before the quiet period ended) would mix into one record;
// a payment card is not a licence. Both are unknown scans.
void RejectForeignScans(const std::string& text, const std::array<std::string, 3>& tracks, const std::string& unknown) {
    if (LicenceTrackTwoCount(text) > 1 || IsPaymentCardNumber(LeadingDigits(tracks[1])))
        throw std::logic_error(unknown);
}

// A city of all 13 characters has no '^' after it (AAMVA track 1). Without one among the first 16
// characters, but with a '$' of the name before the first '^', the '^' goes back after the city.
bool LacksCaretAfterCity(const std::string& track) {
    const std::size_t caret = track.find('^');
    if (caret == std::string::npos || caret <= kStateAndCity)
        return false;
    const std::size_t dollar = track.find('$', kStateAndCity + 1);
    return dollar != std::string::npos && dollar < caret;
}

// Track 1 names are FAMILY$GIVEN$MIDDLE; some cards separate them with commas. Each part is trimmed; the
// parts after the given name, when not empty, make the middle name.
void SetNameParts(const std::string& rawName, CardRecord& record) {
    const char separator = rawName.find('$') == std::string::npos && rawName.find(',') != std::string::npos ? ',' : '$';
    const std::string_view name(rawName);
    std::size_t start = 0;
    for (std::size_t index = 0;; ++index) {
        const std::size_t end = name.find(separator, start);
        const std::string_view part =
            TrimmedView(name.substr(start, end == std::string_view::npos ? end : end - start));
        if (index == 0)
            record.lastName = part;
        else if (index == 1)
            record.firstName = part;
        else if (!part.empty())
            record.middleName.append(record.middleName.empty() ? "" : " ").append(part);
        if (end == std::string_view::npos)
            return;
        start = end + 1;
    }
}

void DecodeTrack1(RegularExpression& matcher, CardRecord& record) {
    const std::string& track = record.tracks[0];
    if (LacksCaretAfterCity(track))
        matcher.SetText(track.substr(0, kStateAndCity) + "^" + track.substr(kStateAndCity));
    else
        matcher.SetText(track);
    const StripePatterns& patterns = Patterns();
    record.state = ExtractGroup(matcher, patterns.state);
    for (const auto& pattern : patterns.city) {
        if (record.city.empty())
            record.city = ExtractGroup(matcher, pattern);
    }
    std::string& name = record.name;
    for (const auto& pattern : patterns.name) {
        if (name.empty())
            name = ExtractGroup(matcher, pattern);
    }
    SetNameParts(name, record);
    ReplaceAll(name, '$', ' ');
    Trim(name);
    std::string& address = record.address;
    address = ExtractGroup(matcher, patterns.address[0]);
    if (address.empty()) {
        address = ExtractGroup(matcher, patterns.address[1]);
        if (address.empty())
            address = ExtractGroup(matcher, patterns.address[2]);
    }
    ReplaceAll(address, '$', ' ');
    ReplaceAll(address, ',', ' ');
    Trim(address);
}

StripeDates DecodeTrack2(RegularExpression& matcher, CardRecord& record) {
    const std::string& track = record.tracks[1];
    matcher.SetText(track);
    record.isoIin = track.substr(0, 6);
    const StripePatterns& patterns = Patterns();
    record.dlNumber = ExtractGroup(matcher, patterns.dlNumber);
    record.dlNumber += ExtractGroup(matcher, patterns.dlOverflow);
    std::string& expirationDate = record.expirationDate;
    expirationDate = ExtractGroup(matcher, patterns.expiryPart);
    record.birthDate = ExtractGroup(matcher, patterns.birthPart);

    StripeDates d;
    d.expiryYear = LeadingNumber(SubRange(expirationDate, 0, 2));
    d.expiryMonth = LeadingNumber(SubRange(expirationDate, 2, 2)); // empty part: std::out_of_range
    d.birthYear = LeadingNumber(SubRange(record.birthDate, 0, 4));
    d.birthMonth = LeadingNumber(SubRange(record.birthDate, 4, 2)); // empty part: std::out_of_range
    d.birthDay = LeadingNumber(SubRange(record.birthDate, 6, 2));
    d.expiryDay = d.birthDay;
    if (d.birthMonth > 12)
        d.birthMonth = d.expiryMonth;
    d.expiryYear += d.expiryYear < 70 ? 2000 : 1900;

    switch (d.expiryMonth) {
    case kCodeNonExpiring:
        expirationDate = "NON-EXPIRING";
        d.expiryMonth = 1;
        d.expiryYear = 2035;
        break;
    case kCodeFirstOfBirthMonth:
        expirationDate = std::to_string(d.birthMonth) + "/01/" + std::to_string(d.expiryYear);
        d.expiryMonth = d.birthMonth;
        d.expiryDay = 1;
        break;
    case kCodeBirthday:
        expirationDate = JoinDate(d.birthMonth, d.birthDay, d.expiryYear);
        d.expiryMonth = d.birthMonth;
        break;
    default:
        expirationDate = JoinDate(d.expiryMonth, d.birthDay, d.expiryYear);
        break;
    }
    return d;
}

// AAMVA track 3 fixed positions. A read that starts past the end ends the step and leaves the rest empty;
// a read that starts exactly at the end gives an empty field.
void DecodeTrack3(RegularExpression& matcher, CardRecord& record) {
    const std::string& t = record.tracks[2];
    matcher.SetText(t);
    if (t.size() < 2)
        return;
    record.postalCode = TrimCopy(t.substr(2, 11));
    if (t.size() < 15)
        return;
    record.restrictions = TrimCopy(t.substr(15, 10));
    if (t.size() <= 29)
        return;
    const char code = AsciiUpper(t[29]);
    if (code == '1' || code == 'M')
        record.sex = "MALE";
    else if (code == '2' || code == 'F')
        record.sex = "FEMALE";
    std::string* const tail[] = {&record.height, &record.weight, &record.hairColor, &record.eyeColor};
    std::size_t pos = 30;
    for (std::string* field : tail) {
        if (pos > t.size())
            return;
        *field = t.substr(pos, 3);
        pos += 3;
    }
}

// The calendar dates behind the track-2 numbers. A stripe's expiry day is the birth day, which a short
// month may not have: the licence then runs to that month's last day.
void SetCalendarDates(const StripeDates& d, bool nonExpiring, CardRecord& record) {
    record.birth = RealDate(d.birthYear, d.birthMonth, d.birthDay);
    if (!record.birth)
        record.invalidDates |= kInvalidBirth;
    record.monthExpiry = true;
    if (nonExpiring)
        return;
    const int lastDay = DaysInMonth(d.expiryYear, d.expiryMonth);
    record.expiry = RealDate(d.expiryYear, d.expiryMonth, std::max(1, std::min(d.expiryDay, lastDay)));
    if (!record.expiry)
        record.invalidDates |= kInvalidExpiry;
}

void FinishStripeDates(const StripeDates& d, CardRecord& record) {
    record.age = AgeAt(record.scanTime, d.birthYear, d.birthMonth, d.birthDay);
    record.expired = ExpiredAt(record.scanTime, d.expiryYear, d.expiryMonth);
    record.expirationText = ExpiryText(d.expiryYear, d.expiryMonth, d.expiryDay);
    record.birthDate = JoinDate(d.birthMonth, d.birthDay, d.birthYear);
}

} // namespace

std::vector<std::string> StripeFormat::PatternTexts() {
    const StripePatterns& p = Patterns();
    std::vector<std::string> texts;
    const auto add = [&texts](const CompiledPattern& pattern) { texts.push_back(pattern.Text()); };
    for (const CompiledPattern* pattern : {&p.threeTracks, &p.trackTwoOnly, &p.tracksOneAndTwo, &p.state})
        add(*pattern);
    std::for_each(p.city.begin(), p.city.end(), add);
    std::for_each(p.name.begin(), p.name.end(), add);
    std::for_each(p.address.begin(), p.address.end(), add);
    for (const CompiledPattern* pattern : {&p.dlNumber, &p.dlOverflow, &p.expiryPart, &p.birthPart})
        add(*pattern);
    return texts;
}

bool StripeFormat::Decode(const ScanWork& work, CardRecord& record) const {
    std::array<std::string, 3> tracks;
    if (!SplitTracks(work.matcher, tracks))
        return false;
    RejectForeignScans(work.matcher.Text(), tracks, work.unknown);
    record.tracks = std::move(tracks);
    DecodeTrack1(work.matcher, record);
    const StripeDates dates = DecodeTrack2(work.matcher, record);
    const bool nonExpiring = record.expirationDate == "NON-EXPIRING";
    DecodeTrack3(work.matcher, record);
    FinishStripeDates(dates, record);
    SetCalendarDates(dates, nonExpiring, record);
    record.issuerIin = record.isoIin;
    record.country = IinTable::CardCountry("", record.isoIin, record.state);
    return true;
}

} // namespace MagneticStripeCards
