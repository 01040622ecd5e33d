#include "StripeFormat.h"

#include "CardText.h"
#include "IinTable.h"
#include "PaymentCard.h"
#include "StripeRules.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace MagneticStripeCards {
namespace {

using namespace CardText;
using namespace CardDates;
using StripeRules::Rule;

constexpr int kCodeNonExpiring = 77;
constexpr int kCodeFirstOfBirthMonth = 88;
constexpr int kCodeBirthday = 99;

// AAMVA track 1: state (2) and city (up to 13) come before the first '^'.
constexpr std::size_t kStateAndCity = 15;

// A field from its view. Appending to the cleared field costs about half of what assigning does (the
// library's assignment takes the general path that allows for overlapping texts).
void Set(std::string& field, std::string_view text) {
    field.clear();
    if (!text.empty())
        field.append(text.data(), text.size());
}

// The working numbers of the track-2 date rules.
struct StripeDates {
    int expiryYear = 0;
    int expiryMonth = 0;
    int expiryDay = 0;
    int birthYear = 0;
    int birthMonth = 0;
    int birthDay = 0;
    bool nonExpiring = false;
};

// The tracks as views into the scan text; false when the text is no stripe.
bool SplitTracks(std::string_view text, std::array<std::string_view, 3>& tracks) {
    StripeRules::Spans spans;
    if (StripeRules::Match(Rule::ThreeTracks, text, spans)) {
        for (std::size_t i = 0; i < tracks.size(); ++i)
            tracks[i] = text.substr(spans[i + 1].begin, spans[i + 1].end - spans[i + 1].begin);
        return true;
    }
    if (StripeRules::Match(Rule::TrackTwoOnly, text, spans)) {
        tracks[1] = text.substr(spans[1].begin, spans[1].end - spans[1].begin);
        return true;
    }
    if (!StripeRules::Match(Rule::TracksOneAndTwo, text, spans))
        return false;
    tracks[0] = text.substr(spans[1].begin, spans[1].end - spans[1].begin);
    tracks[1] = text.substr(spans[2].begin, spans[2].end - spans[2].begin);
    return true;
}

// A licence's track 2 starts with ';', the six digits of its issuer number, more digits and '='. Stops
// counting at two, which is all the caller asks. A real scan has two or three ';', which memchr finds
// faster than a byte loop; a megabyte made of sentinels costs a call per ';' (a few milliseconds).
std::size_t LicenceTrackTwoCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = text.find(';'); at != std::string_view::npos && count < 2; at = text.find(';', at + 1)) {
        std::size_t digitsEnd = at + 1;
        while (digitsEnd < text.size() && IsDigit(text[digitsEnd]))
            ++digitsEnd;
        if (digitsEnd - (at + 1) > 6 && digitsEnd < text.size() && text[digitsEnd] == '=')
            ++count;
    }
    return count;
}

std::string_view LeadingDigits(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && IsDigit(text[n]))
        ++n;
    return text.substr(0, n);
}

// Two cards typed into one scan (a second swipe before the quiet period ended) would mix into one record;
// a payment card is not a licence. Both are unknown scans.
void RejectForeignScans(std::string_view text, const std::array<std::string_view, 3>& tracks,
                        const std::string& unknown) {
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
void SetNameParts(std::string_view name, CardRecord& record) {
    const char separator =
        name.find('$') == std::string_view::npos && name.find(',') != std::string_view::npos ? ',' : '$';
    std::size_t start = 0;
    for (std::size_t index = 0;; ++index) {
        const std::size_t end = name.find(separator, start);
        const std::string_view part =
            TrimmedView(name.substr(start, end == std::string_view::npos ? end : end - start));
        if (index == 0)
            Set(record.lastName, part);
        else if (index == 1)
            Set(record.firstName, part);
        else if (!part.empty())
            record.middleName.append(record.middleName.empty() ? "" : " ").append(part);
        if (end == std::string_view::npos)
            return;
        start = end + 1;
    }
}

// `text` trimmed, with each `a` and `b` in it turned into a space first.
void AssignCleaned(std::string& field, std::string_view text, char a, char b) {
    Set(field, text);
    for (char& c : field) {
        if (c == a || c == b)
            c = ' ';
    }
    Trim(field);
}

void DecodeTrack1(CardRecord& record) {
    const std::string& track = record.tracks[0];
    if (track.empty())
        return; // track 2 alone: no rule finds a field in nothing
    std::string withCaret;
    if (LacksCaretAfterCity(track))
        withCaret = track.substr(0, kStateAndCity) + "^" + track.substr(kStateAndCity);
    const StripeRules::TrackOneGroups groups =
        StripeRules::ReadTrackOne(withCaret.empty() ? std::string_view(track) : std::string_view(withCaret));
    Set(record.state, groups.state);
    Set(record.city, groups.city);
    SetNameParts(groups.name, record);
    AssignCleaned(record.name, groups.name, '$', '$');
    AssignCleaned(record.address, groups.address, '$', ',');
}

// The decimal number of a run of digits.
int Number(std::string_view digits) {
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// A track 2 without its expiry or birth part has no dates to read; the scan is then unknown.
[[noreturn]] void MissingDatePart() {
    throw std::out_of_range("position past the end of the field");
}

StripeDates DecodeTrack2(CardRecord& record) {
    const std::string_view track = record.tracks[1];
    Set(record.isoIin, track.substr(0, 6));
    const StripeRules::TrackTwoGroups groups = StripeRules::ReadTrackTwo(track);
    Set(record.dlNumber, groups.dlNumber);
    if (!groups.dlOverflow.empty())
        record.dlNumber.append(groups.dlOverflow);
    // The groups are four and eight digits, or absent.
    const std::string_view expiry = groups.expiry;
    const std::string_view birth = groups.birth;
    if (expiry.empty() || birth.empty())
        MissingDatePart();

    StripeDates d;
    d.expiryYear = Number(expiry.substr(0, 2));
    d.expiryMonth = Number(expiry.substr(2, 2));
    d.birthYear = Number(birth.substr(0, 4));
    d.birthMonth = Number(birth.substr(4, 2));
    d.birthDay = Number(birth.substr(6, 2));
    d.expiryDay = d.birthDay;
    if (d.birthMonth > 12)
        d.birthMonth = d.expiryMonth;
    d.expiryYear += d.expiryYear < 70 ? 2000 : 1900;

    std::string& expirationDate = record.expirationDate;
    switch (d.expiryMonth) {
    case kCodeNonExpiring:
        expirationDate = "NON-EXPIRING";
        d.nonExpiring = true;
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
void DecodeTrack3(CardRecord& record) {
    const std::string_view t = record.tracks[2];
    if (t.size() < 2)
        return;
    Set(record.postalCode, TrimmedView(t.substr(2, 11)));
    if (t.size() < 15)
        return;
    Set(record.restrictions, TrimmedView(t.substr(15, 10)));
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
        Set(*field, t.substr(pos, 3));
        pos += 3;
    }
}

// The calendar dates behind the track-2 numbers. A stripe's expiry day is the birth day, which a short
// month may not have: the licence then runs to that month's last day.
void SetCalendarDates(const StripeDates& d, CardRecord& record) {
    record.birth = RealDate(d.birthYear, d.birthMonth, d.birthDay);
    if (!record.birth)
        record.invalidDates |= kInvalidBirth;
    record.monthExpiry = true;
    if (d.nonExpiring)
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
    std::vector<std::string> texts;
    for (std::size_t r = 0; r < StripeRules::kRules; ++r)
        texts.emplace_back(StripeRules::PatternText(static_cast<Rule>(r)));
    return texts;
}

bool StripeFormat::Decode(const ScanWork& work, CardRecord& record) const {
    // Every stripe starts with '%' or ';' (carriage returns do not count).
    const std::size_t first = work.swipe.find_first_not_of('\r');
    if (first == std::string::npos || (work.swipe[first] != '%' && work.swipe[first] != ';'))
        return false;
    const std::string& text = work.Text();
    std::array<std::string_view, 3> tracks;
    if (!SplitTracks(text, tracks))
        return false;
    RejectForeignScans(text, tracks, work.unknown);
    for (std::size_t i = 0; i < tracks.size(); ++i)
        Set(record.tracks[i], tracks[i]);
    DecodeTrack1(record);
    StripeDates dates;
    try {
        dates = DecodeTrack2(record);
    } catch (...) {
        // The unknown-swipe file gets the track that could not be read, not the whole scan.
        work.failedPart = record.tracks[1];
        throw;
    }
    DecodeTrack3(record);
    FinishStripeDates(dates, record);
    SetCalendarDates(dates, record);
    record.issuerIin = record.isoIin;
    record.country = IinTable::CardCountry("", record.isoIin, record.state);
    return true;
}

} // namespace MagneticStripeCards
