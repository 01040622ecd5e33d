#pragma once
// The data elements of AAMVA DL/ID barcodes by version (01 to 11): which three-letter IDs a card of that
// version may carry, in the order cards usually write them, with each value's longest length, whether the
// standard fixes its width, its form, and the versions (and documents) that must carry it. Splitting text
// whose separators the reader lost rests on this table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace MagneticStripeCards::AamvaElements {

// The forms a value can be checked against. Text is anything (addresses, cities); Code is a number or
// class that cards pad with spaces; Name holds no digits and is never empty; MiddleName may be empty;
// FullName ("FAMILY,GIVEN,MIDDLE", some cards with spaces) has at least two parts.
enum class Kind : std::uint8_t {
    Text,
    Code,
    Name,
    MiddleName,
    FullName,
    Date,
    RevisionDate, // a date that may end in a letter (New Hampshire)
    Sex,
    Truncation,
    Compliance, // F, N, or M (versions 04 to 08)
    Digit,
    Letters2,
    Letters3,
    Eyes,
    Height,
    Weight,
    Hair,
    Postal,
    Suffix
};

struct Rule {
    const char* id;
    std::uint16_t versions; // bit v for version v
    std::uint8_t maxLength;
    Kind kind;
    bool fixed;              // fixed width: never empty, short values padded with spaces
    std::uint16_t mandatory; // bit v: version v requires the element
    bool licenceOnly;        // required of driver licences only (classes, restrictions, endorsements)
};

constexpr int kNewestVersion = 11;
// Every distinct ID of the table gets a slot; a card's values are kept by slot.
constexpr std::size_t kSlots = 96;

// The version whose rules a card of `version` follows: 00 reads as 01, unknown newer ones as the newest.
int RulesVersion(int version);

// The slot of each ID by its second and third letter (the first is 'D'), or -1.
extern const std::array<std::int8_t, 26 * 26> kSlotOfLetters;

// The slot of `id` (three characters), or -1 when no version knows it. Inline: the element split asks
// for every element of every barcode.
inline int SlotOfLetters(char second, char third) {
    const auto a = static_cast<unsigned>(static_cast<unsigned char>(second)) - 'A';
    const auto b = static_cast<unsigned>(static_cast<unsigned char>(third)) - 'A';
    return a < 26 && b < 26 ? kSlotOfLetters[a * 26 + b] : -1;
}
inline int SlotOf(std::string_view id) {
    return id.size() == 3 && id[0] == 'D' ? SlotOfLetters(id[1], id[2]) : -1;
}
// The rule of `id` for `rulesVersion`, or nullptr when that version does not know the ID.
const Rule* RuleOf(std::string_view id, int rulesVersion);
// The same by the ID's slot.
const Rule* RuleAt(int slot, int rulesVersion);
// The rule's place in the usual order of its version family (01, or 02 and up).
int OrderOf(const Rule& rule);

// Whether `value` (without its trailing padding) has the form its kind requires. Dates are eight digits
// that make a real day in either order (month first or year first).
bool HasForm(Kind kind, std::string_view value);
// Whether eight digits make a real day read year first (CCYYMMDD) or month first (MMDDCCYY).
bool IsDate(std::string_view value, bool yearFirst);
// Both at once: bit 0 year first, bit 1 month first.
unsigned DateOrders(std::string_view value);
// Whether `rule` binds a card of `rulesVersion` (`licence`: a DL subfile rather than an ID).
bool IsMandatory(const Rule& rule, int rulesVersion, bool licence);
// Whether spaces may end the value: fixed-width values and codes are padded, names and addresses not.
bool MayBePadded(const Rule& rule);

} // namespace MagneticStripeCards::AamvaElements
