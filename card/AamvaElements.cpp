#include "AamvaElements.h"

#include "CardDates.h"
#include "CardText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

namespace MagneticStripeCards::AamvaElements {
namespace {

constexpr std::uint16_t Versions(int first, int last) {
    std::uint16_t mask = 0;
    for (int v = first; v <= last; ++v)
        mask = static_cast<std::uint16_t>(mask | (1u << v));
    return mask;
}

constexpr std::uint16_t kV1 = Versions(1, 1);
constexpr std::uint16_t kV2Up = Versions(2, kNewestVersion);
constexpr std::uint16_t kV2To3 = Versions(2, 3);
constexpr std::uint16_t kV2To10 = Versions(2, 10);
constexpr std::uint16_t kV4Up = Versions(4, kNewestVersion);
constexpr std::uint16_t kV4To10 = Versions(4, 10);
constexpr std::uint16_t kV11 = Versions(11, 11);

using K = Kind;
constexpr bool F = true;  // fixed width
constexpr bool V = false; // variable width
constexpr std::uint16_t kNo = 0;
constexpr bool kDl = true; // required of licences only

// Version 01 (DL/ID-2000) first, then versions 02 and up, each in the order cards usually write them
// (the AAMVA sample cards: number, names with their truncation flags, classes, dates, description,
// address). Lengths, widths and the required elements are the standard's.
constexpr Rule kRules[] = {
    {"DAQ", kV1, 25, K::Code, V, kV1, false},
    {"DAA", kV1, 100, K::FullName, V, kNo, false},
    {"DAB", kV1, 40, K::Name, V, kNo, false},
    {"DAC", kV1, 40, K::Name, V, kNo, false},
    {"DAD", kV1, 40, K::MiddleName, V, kNo, false},
    {"DAE", kV1, 5, K::Suffix, V, kNo, false},
    {"DAF", kV1, 5, K::Name, V, kNo, false},
    {"DAG", kV1, 35, K::Text, V, kV1, false},
    {"DAH", kV1, 35, K::Text, V, kNo, false},
    {"DAI", kV1, 20, K::Text, V, kV1, false},
    {"DAJ", kV1, 2, K::Letters2, F, kV1, false},
    {"DAK", kV1, 11, K::Postal, F, kV1, false},
    {"DAL", kV1, 35, K::Text, V, kNo, false},
    {"DAM", kV1, 35, K::Text, V, kNo, false},
    {"DAN", kV1, 20, K::Text, V, kNo, false},
    {"DAO", kV1, 2, K::Letters2, F, kNo, false},
    {"DAP", kV1, 11, K::Postal, F, kNo, false},
    {"DAR", kV1, 6, K::Code, V, kV1, kDl},
    {"DAS", kV1, 12, K::Code, V, kV1, kDl},
    {"DAT", kV1, 6, K::Code, V, kV1, kDl},
    {"DAU", kV1, 6, K::Height, F, kNo, false},
    {"DAV", kV1, 6, K::Height, F, kNo, false},
    {"DAW", kV1, 3, K::Weight, F, kNo, false},
    {"DAX", kV1, 3, K::Weight, F, kNo, false},
    {"DAY", kV1, 3, K::Eyes, F, kNo, false},
    {"DAZ", kV1, 12, K::Hair, V, kNo, false},
    {"DBA", kV1, 8, K::Date, F, kV1, false},
    {"DBB", kV1, 8, K::Date, F, kV1, false},
    {"DBC", kV1, 1, K::Sex, F, kV1, false},
    {"DBD", kV1, 8, K::Date, F, kV1, false},
    {"DBE", kV1, 12, K::Code, V, kNo, false},
    {"DBF", kV1, 2, K::Code, V, kNo, false},
    {"DBG", kV1, 3, K::Code, V, kNo, false},
    {"DBH", kV1, 3, K::Code, V, kNo, false},
    {"DBI", kV1, 3, K::Code, V, kNo, false},
    {"DBJ", kV1, 25, K::Code, V, kNo, false},
    {"DBK", kV1, 25, K::Code, V, kNo, false},
    {"DBL", kV1, 8, K::Date, F, kNo, false},
    {"DBM", kV1, 25, K::Code, V, kNo, false},
    {"DBN", kV1, 40, K::Name, V, kNo, false},
    {"DBO", kV1, 40, K::Name, V, kNo, false},
    {"DBP", kV1, 40, K::Name, V, kNo, false},
    {"DBQ", kV1, 40, K::Name, V, kNo, false},
    {"DBR", kV1, 5, K::Suffix, V, kNo, false},
    {"DBS", kV1, 5, K::Suffix, V, kNo, false},

    {"DAQ", kV2Up, 25, K::Code, V, kV2Up, false},
    {"DCS", kV2Up, 40, K::Name, V, kV2Up, false},
    {"DDE", kV4Up, 1, K::Truncation, F, kV4Up, false},
    {"DAC", kV4Up, 40, K::Name, V, kV4Up, false},
    {"DDF", kV4Up, 1, K::Truncation, F, kV4Up, false},
    {"DAD", kV4Up, 40, K::MiddleName, V, kV4Up, false},
    {"DDG", kV4Up, 1, K::Truncation, F, kV4Up, false},
    {"DCT", kV2To3, 80, K::Name, V, kV2To3, false},
    {"DCU", kV2Up, 5, K::Suffix, V, kNo, false},
    {"DCA", kV2Up, 6, K::Code, V, kV2Up, kDl},
    {"DCB", kV2Up, 12, K::Code, V, kV2Up, kDl},
    {"DCD", kV2Up, 5, K::Code, V, kV2Up, kDl},
    {"DCH", kV2To3, 6, K::Code, V, kNo, false},
    {"DBD", kV2Up, 8, K::Date, F, kV2Up, false},
    {"DBB", kV2Up, 8, K::Date, F, kV2Up, false},
    {"DBA", kV2Up, 8, K::Date, F, kV2Up, false},
    {"DBC", kV2Up, 1, K::Sex, F, kV2Up, false},
    {"DAU", kV2Up, 6, K::Height, F, kV2Up, false},
    {"DAY", kV2Up, 3, K::Eyes, F, kV2Up, false},
    {"DAG", kV2Up, 35, K::Text, V, kV2Up, false},
    {"DAH", kV2Up, 35, K::Text, V, kNo, false},
    {"DAI", kV2Up, 20, K::Text, V, kV2Up, false},
    {"DAJ", kV2Up, 2, K::Letters2, F, kV2Up, false},
    {"DAK", kV2Up, 11, K::Postal, F, kV2Up, false},
    {"DCF", kV2Up, 25, K::Code, V, kV2Up, false},
    {"DCG", kV2Up, 3, K::Letters3, F, kV2Up, false},
    {"DAW", kV2Up, 3, K::Weight, F, kNo, false},
    {"DAX", kV2Up, 3, K::Weight, F, kNo, false},
    {"DAZ", kV2Up, 12, K::Hair, V, kNo, false},
    {"DCE", kV2Up, 1, K::Digit, F, kNo, false},
    {"DCI", kV2Up, 33, K::Text, V, kNo, false},
    {"DCJ", kV2Up, 25, K::Code, V, kNo, false},
    {"DCK", kV2Up, 25, K::Code, V, kNo, false},
    {"DBN", kV2To10, 10, K::Name, V, kNo, false},
    {"DBG", kV2To10, 15, K::Name, V, kNo, false},
    {"DBS", kV2To10, 5, K::Suffix, V, kNo, false},
    {"DCL", kV2To10, 3, K::Code, V, kNo, false},
    {"DCM", kV2Up, 4, K::Code, V, kNo, false},
    {"DCN", kV2Up, 5, K::Code, V, kNo, false},
    {"DCO", kV2Up, 12, K::Code, V, kNo, false},
    {"DCP", kV2Up, 50, K::Text, V, kNo, false},
    {"DCQ", kV2Up, 50, K::Text, V, kNo, false},
    {"DCR", kV2Up, 50, K::Text, V, kNo, false},
    {"DDA", kV4Up, 1, K::Compliance, F, kNo, false},
    {"DDB", kV4Up, 9, K::RevisionDate, V, kNo, false},
    {"DDC", kV4To10, 8, K::Date, F, kNo, false},
    {"DDD", kV4Up, 1, K::Digit, F, kNo, false},
    {"DDH", kV4Up, 8, K::Date, F, kNo, false},
    {"DDI", kV4Up, 8, K::Date, F, kNo, false},
    {"DDJ", kV4Up, 8, K::Date, F, kNo, false},
    {"DDK", kV4Up, 1, K::Digit, F, kNo, false},
    {"DDL", kV4Up, 1, K::Digit, F, kNo, false},
    {"DDM", kV11, 25, K::Code, V, kNo, false},
    {"DDN", kV11, 25, K::Code, V, kNo, false},
    {"DDO", kV11, 25, K::Code, V, kNo, false},
    {"DDP", kV11, 25, K::Code, V, kNo, false},
};
constexpr std::size_t kRuleCount = sizeof kRules / sizeof kRules[0];
constexpr std::size_t kFirstOfVersion2 = 45;
static_assert(kRules[kFirstOfVersion2 - 1].versions == kV1 && kRules[kFirstOfVersion2].versions == kV2Up);

// Letters after the leading 'D' -> slot, and (version, slot) -> rule, built by the compiler: the element
// split asks for slots dozens of times per barcode.
struct Index {
    std::array<std::int8_t, 26 * 26> slot{};
    std::array<std::array<std::int16_t, kSlots>, kNewestVersion + 1> rule{};

    constexpr Index() {
        for (auto& s : slot)
            s = -1;
        for (auto& byVersion : rule) {
            for (auto& r : byVersion)
                r = -1;
        }
        int next = 0;
        for (std::size_t r = 0; r < kRuleCount; ++r) {
            const std::size_t key = Key(kRules[r].id[1], kRules[r].id[2]);
            if (slot[key] < 0)
                slot[key] = static_cast<std::int8_t>(next++);
            for (int v = 1; v <= kNewestVersion; ++v) {
                if (kRules[r].versions & (1u << v))
                    rule[static_cast<std::size_t>(v)][static_cast<std::size_t>(slot[key])] =
                        static_cast<std::int16_t>(r);
            }
        }
    }
    static constexpr std::size_t Key(char second, char third) {
        return static_cast<std::size_t>(second - 'A') * 26 + static_cast<std::size_t>(third - 'A');
    }
};

constexpr Index kIndex;

using CardText::IsDigit;
using CardText::IsLetter;
bool AllOf(std::string_view value, bool (*test)(char)) {
    for (const char c : value) {
        if (!test(c))
            return false;
    }
    return true;
}
char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// "068 in", "175 CM", "068IN", or digits alone ("510" on version-01 cards: feet and inches).
bool IsHeight(std::string_view value) {
    std::size_t digits = 0;
    while (digits < value.size() && IsDigit(value[digits]))
        ++digits;
    if (digits == 0 || digits > 3)
        return false;
    std::string_view unit = value.substr(digits);
    if (!unit.empty() && unit.front() == ' ')
        unit.remove_prefix(1);
    if (unit.empty())
        return digits == value.size();
    return unit.size() == 2 &&
           ((Upper(unit[0]) == 'I' && Upper(unit[1]) == 'N') || (Upper(unit[0]) == 'C' && Upper(unit[1]) == 'M'));
}

// The standard's codes and the older cards' brown.
bool IsEyeColour(std::string_view value) {
    static const char* const kCodes[] = {"BLK", "BLU", "BRO", "BRN", "GRY", "GRN", "HAZ", "MAR", "PNK", "DIC", "UNK"};
    return value.size() == 3 && std::any_of(std::begin(kCodes), std::end(kCodes), [&](const char* code) {
               return Upper(value[0]) == code[0] && Upper(value[1]) == code[1] && Upper(value[2]) == code[2];
           });
}

// strchr would also find the terminating NUL.
bool OneOf(char c, const char* set) {
    return c != '\0' && std::strchr(set, c) != nullptr;
}

// JR, SR, 1ST or I to 9TH or IX (AAMVA), and NONE.
bool IsSuffix(std::string_view value) {
    static const char* const kSuffixes[] = {"JR",  "SR",  "I",   "II",  "III", "IV",  "V",   "VI",  "VII", "VIII", "IX",
                                            "1ST", "2ND", "3RD", "4TH", "5TH", "6TH", "7TH", "8TH", "9TH", "NONE"};
    std::string_view bare = value;
    if (!bare.empty() && bare.back() == '.')
        bare.remove_suffix(1);
    for (const char* suffix : kSuffixes) {
        const std::string_view known(suffix);
        if (bare.size() != known.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < bare.size() && same; ++i)
            same = Upper(bare[i]) == known[i];
        if (same)
            return true;
    }
    return false;
}

// A US ZIP or ZIP+4 (with or without its dash), a Canadian code ("K1A 0B1"), or another country's code
// of letters and digits that holds at least one digit.
bool IsPostal(std::string_view value) {
    char compact[16];
    std::size_t n = 0;
    bool digit = false;
    for (const char c : value) {
        if (c == ' ' || c == '-')
            continue;
        if ((!IsDigit(c) && !IsLetter(c)) || n == sizeof compact)
            return false;
        digit = digit || IsDigit(c);
        compact[n++] = c;
    }
    const std::string_view code(compact, n);
    if (AllOf(code, IsDigit))
        return n >= 5 && n <= 9;
    return digit && n <= 10;
}

bool IsDateEitherWay(std::string_view value) {
    return DateOrders(value) != 0;
}

} // namespace

int RulesVersion(int version) {
    if (version < 1)
        return 1;
    return version > kNewestVersion ? kNewestVersion : version;
}

const std::array<std::int8_t, 26 * 26> kSlotOfLetters = kIndex.slot;

const Rule* RuleOf(std::string_view id, int rulesVersion) {
    return RuleAt(SlotOf(id), rulesVersion);
}

const Rule* RuleAt(int slot, int rulesVersion) {
    if (slot < 0 || rulesVersion < 1 || rulesVersion > kNewestVersion)
        return nullptr;
    const std::int16_t r = kIndex.rule[static_cast<std::size_t>(rulesVersion)][static_cast<std::size_t>(slot)];
    return r < 0 ? nullptr : &kRules[r];
}

int OrderOf(const Rule& rule) {
    const auto index = static_cast<int>(&rule - kRules);
    return index >= static_cast<int>(kFirstOfVersion2) ? index - static_cast<int>(kFirstOfVersion2) : index;
}

bool IsDate(std::string_view value, bool yearFirst) {
    return (DateOrders(value) & (yearFirst ? 1u : 2u)) != 0;
}

unsigned DateOrders(std::string_view value) {
    if (value.size() != 8 || !AllOf(value, IsDigit))
        return 0;
    int d[8];
    for (std::size_t i = 0; i < 8; ++i)
        d[i] = value[i] - '0';
    // Cards carry birth days of this century and the last, and expiry days of the next decades.
    const auto real = [](int year, int month, int day) {
        return year >= 1850 && year < 2200 && month >= 1 && month <= 12 && day >= 1 &&
               day <= CardDates::DaysInMonth(year, month);
    };
    const int high = d[0] * 1000 + d[1] * 100 + d[2] * 10 + d[3];
    const int low = d[4] * 1000 + d[5] * 100 + d[6] * 10 + d[7];
    unsigned orders = 0;
    if (real(high, d[4] * 10 + d[5], d[6] * 10 + d[7]))
        orders |= 1u;
    if (real(low, d[0] * 10 + d[1], d[2] * 10 + d[3]))
        orders |= 2u;
    return orders;
}

bool HasForm(Kind kind, std::string_view value) {
    switch (kind) {
    case Kind::Text:
    case Kind::Code:
        return true;
    case Kind::Name:
        return !value.empty() && std::none_of(value.begin(), value.end(), IsDigit);
    case Kind::MiddleName:
        return std::none_of(value.begin(), value.end(), IsDigit);
    case Kind::FullName:
        return value.find_first_of(", ") != std::string_view::npos && value.find_first_of(", ") > 0 &&
               std::none_of(value.begin(), value.end(), IsDigit);
    case Kind::Date:
        return IsDateEitherWay(value);
    case Kind::RevisionDate:
        return IsDateEitherWay(value) ||
               (value.size() == 9 && IsLetter(value.back()) && IsDateEitherWay(value.substr(0, 8)));
    case Kind::Sex:
        return value.size() == 1 && OneOf(value[0], "129MFXUmfxu");
    case Kind::Truncation:
        return value.size() == 1 && OneOf(value[0], "TNU");
    case Kind::Compliance:
        return value.size() == 1 && OneOf(value[0], "FNM");
    case Kind::Digit:
        return value.size() == 1 && IsDigit(value[0]);
    case Kind::Letters2:
        return value.size() == 2 && AllOf(value, IsLetter);
    case Kind::Letters3:
        return value.size() == 3 && AllOf(value, IsLetter);
    case Kind::Eyes:
        return IsEyeColour(value);
    case Kind::Height:
        return IsHeight(value);
    case Kind::Weight:
        return !value.empty() && value.size() <= 3 && AllOf(value, IsDigit);
    case Kind::Hair:
        return !value.empty() && AllOf(value, IsLetter);
    case Kind::Postal:
        return IsPostal(value);
    case Kind::Suffix:
        return IsSuffix(value);
    }
    return false;
}

bool IsMandatory(const Rule& rule, int rulesVersion, bool licence) {
    return (rule.mandatory & (1u << rulesVersion)) != 0 && (licence || !rule.licenceOnly);
}

bool MayBePadded(const Rule& rule) {
    return rule.fixed || rule.kind == Kind::Code || rule.kind == Kind::Postal || rule.kind == Kind::Suffix;
}

} // namespace MagneticStripeCards::AamvaElements
