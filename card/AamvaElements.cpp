#include "AamvaElements.h"

#include <array>
#include <cstring>

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

// Version 01 (DL/ID-2000) first, then versions 02 and up, each in the order cards usually write them
// (the AAMVA sample cards: number, names with their truncation flags, classes, dates, description,
// address). Lengths are the standard's maxima.
constexpr Rule kRules[] = {
    {"DAQ", kV1, 25, K::Text},        {"DAA", kV1, 100, K::Text},       {"DAB", kV1, 40, K::Text},
    {"DAC", kV1, 40, K::Text},        {"DAD", kV1, 40, K::Text},        {"DAE", kV1, 5, K::Suffix},
    {"DAF", kV1, 5, K::Text},         {"DAG", kV1, 35, K::Text},        {"DAH", kV1, 35, K::Text},
    {"DAI", kV1, 20, K::Text},        {"DAJ", kV1, 2, K::Letters2},     {"DAK", kV1, 11, K::Postal},
    {"DAL", kV1, 35, K::Text},        {"DAM", kV1, 35, K::Text},        {"DAN", kV1, 20, K::Text},
    {"DAO", kV1, 2, K::Letters2},     {"DAP", kV1, 11, K::Postal},      {"DAR", kV1, 6, K::Text},
    {"DAS", kV1, 12, K::Text},        {"DAT", kV1, 6, K::Text},         {"DAU", kV1, 6, K::Height},
    {"DAV", kV1, 6, K::Height},       {"DAW", kV1, 3, K::Weight},       {"DAX", kV1, 3, K::Weight},
    {"DAY", kV1, 3, K::Letters3},     {"DAZ", kV1, 12, K::Text},        {"DBA", kV1, 8, K::Date},
    {"DBB", kV1, 8, K::Date},         {"DBC", kV1, 1, K::Sex},          {"DBD", kV1, 8, K::Date},
    {"DBE", kV1, 12, K::Text},        {"DBF", kV1, 2, K::Text},         {"DBG", kV1, 3, K::Text},
    {"DBH", kV1, 3, K::Text},         {"DBI", kV1, 3, K::Text},         {"DBJ", kV1, 25, K::Text},
    {"DBK", kV1, 25, K::Text},        {"DBL", kV1, 8, K::Date},         {"DBM", kV1, 25, K::Text},
    {"DBN", kV1, 40, K::Text},        {"DBO", kV1, 40, K::Text},        {"DBP", kV1, 40, K::Text},
    {"DBQ", kV1, 40, K::Text},        {"DBR", kV1, 5, K::Text},         {"DBS", kV1, 5, K::Text},

    {"DAQ", kV2Up, 25, K::Text},      {"DCS", kV2Up, 40, K::Text},      {"DDE", kV4Up, 1, K::Truncation},
    {"DAC", kV4Up, 40, K::Text},      {"DDF", kV4Up, 1, K::Truncation}, {"DAD", kV4Up, 40, K::Text},
    {"DDG", kV4Up, 1, K::Truncation}, {"DCT", kV2To3, 80, K::Text},     {"DCU", kV2Up, 5, K::Suffix},
    {"DCA", kV2Up, 6, K::Text},       {"DCB", kV2Up, 12, K::Text},      {"DCD", kV2Up, 5, K::Text},
    {"DCH", kV2To3, 6, K::Text},      {"DBD", kV2Up, 8, K::Date},       {"DBB", kV2Up, 8, K::Date},
    {"DBA", kV2Up, 8, K::Date},       {"DBC", kV2Up, 1, K::Sex},        {"DAU", kV2Up, 6, K::Height},
    {"DAY", kV2Up, 3, K::Letters3},   {"DAG", kV2Up, 35, K::Text},      {"DAH", kV2Up, 35, K::Text},
    {"DAI", kV2Up, 20, K::Text},      {"DAJ", kV2Up, 2, K::Letters2},   {"DAK", kV2Up, 11, K::Postal},
    {"DCF", kV2Up, 25, K::Text},      {"DCG", kV2Up, 3, K::Letters3},   {"DAW", kV2Up, 3, K::Weight},
    {"DAX", kV2Up, 3, K::Weight},     {"DAZ", kV2Up, 12, K::Text},      {"DCE", kV2Up, 1, K::Digit},
    {"DCI", kV2Up, 33, K::Text},      {"DCJ", kV2Up, 25, K::Text},      {"DCK", kV2Up, 25, K::Text},
    {"DBN", kV2To10, 10, K::Text},    {"DBG", kV2To10, 15, K::Text},    {"DBS", kV2To10, 5, K::Text},
    {"DCL", kV2To10, 3, K::Text},     {"DCM", kV2Up, 4, K::Text},       {"DCN", kV2Up, 5, K::Text},
    {"DCO", kV2Up, 12, K::Text},      {"DCP", kV2Up, 50, K::Text},      {"DCQ", kV2Up, 50, K::Text},
    {"DCR", kV2Up, 50, K::Text},      {"DDA", kV4Up, 1, K::Letter},     {"DDB", kV4Up, 8, K::Date},
    {"DDC", kV4To10, 8, K::Date},     {"DDD", kV4Up, 1, K::Digit},      {"DDH", kV4Up, 8, K::Date},
    {"DDI", kV4Up, 8, K::Date},       {"DDJ", kV4Up, 8, K::Date},       {"DDK", kV4Up, 1, K::Digit},
    {"DDL", kV4Up, 1, K::Digit},      {"DDM", kV11, 25, K::Text},       {"DDN", kV11, 25, K::Text},
    {"DDO", kV11, 25, K::Text},       {"DDP", kV11, 25, K::Text},
};
constexpr std::size_t kRuleCount = sizeof kRules / sizeof kRules[0];
constexpr std::size_t kFirstOfVersion2 = 45;

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

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
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

bool IsPostal(std::string_view value) {
    for (const char c : value) {
        if (!IsDigit(c) && !IsLetter(c) && c != ' ' && c != '-')
            return false;
    }
    return !value.empty();
}

} // namespace

int RulesVersion(int version) {
    if (version < 1)
        return 1;
    return version > kNewestVersion ? kNewestVersion : version;
}

int SlotOf(std::string_view id) {
    if (id.size() != 3 || id[0] != 'D' || id[1] < 'A' || id[1] > 'Z' || id[2] < 'A' || id[2] > 'Z')
        return -1;
    return kIndex.slot[Index::Key(id[1], id[2])];
}

const Rule* RuleOf(std::string_view id, int rulesVersion) {
    const int slot = SlotOf(id);
    if (slot < 0 || rulesVersion < 1 || rulesVersion > kNewestVersion)
        return nullptr;
    const std::int16_t r = kIndex.rule[static_cast<std::size_t>(rulesVersion)][static_cast<std::size_t>(slot)];
    return r < 0 ? nullptr : &kRules[r];
}

int OrderOf(const Rule& rule) {
    const auto index = static_cast<int>(&rule - kRules);
    return index >= static_cast<int>(kFirstOfVersion2) ? index - static_cast<int>(kFirstOfVersion2) : index;
}

bool HasForm(Kind kind, std::string_view value) {
    switch (kind) {
    case Kind::Text:
        return true;
    case Kind::Date:
        return value.size() == 8 && AllOf(value, IsDigit);
    case Kind::Sex:
        return value.size() == 1 && OneOf(value[0], "129MFXUmfxu");
    case Kind::Truncation:
        return value.size() == 1 && OneOf(value[0], "TNU");
    case Kind::Digit:
        return value.size() == 1 && IsDigit(value[0]);
    case Kind::Letter:
        return value.size() == 1 && IsLetter(value[0]);
    case Kind::Letters2:
        return value.size() == 2 && AllOf(value, IsLetter);
    case Kind::Letters3:
        return value.size() == 3 && AllOf(value, IsLetter);
    case Kind::Height:
        return IsHeight(value);
    case Kind::Weight:
        return !value.empty() && value.size() <= 3 && AllOf(value, IsDigit);
    case Kind::Postal:
        return IsPostal(value);
    case Kind::Suffix:
        return IsSuffix(value);
    }
    return false;
}

} // namespace MagneticStripeCards::AamvaElements
