#pragma once
// The data elements of AAMVA DL/ID barcodes by version (01 to 11): which three-letter IDs a card of that
// version may carry, in the order cards usually write them, with each value's longest length and, where
// the standard fixes it, its form. Splitting text whose separators the reader lost rests on this table.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace MagneticStripeCards::AamvaElements {

// The forms a value can be checked against; Text is anything.
enum class Kind : std::uint8_t {
    Text,
    Date,
    Sex,
    Truncation,
    Digit,
    Letter,
    Letters2,
    Letters3,
    Height,
    Weight,
    Postal,
    Suffix
};

struct Rule {
    const char* id;
    std::uint16_t versions; // bit v for version v
    std::uint8_t maxLength;
    Kind kind;
};

constexpr int kNewestVersion = 11;
// Every distinct ID of the table gets a slot; a card's values are kept by slot.
constexpr std::size_t kSlots = 96;

// The version whose rules a card of `version` follows: 00 reads as 01, unknown newer ones as the newest.
int RulesVersion(int version);

// The slot of `id` (three characters), or -1 when no version knows it.
int SlotOf(std::string_view id);
// The rule of `id` for `rulesVersion`, or nullptr when that version does not know the ID.
const Rule* RuleOf(std::string_view id, int rulesVersion);
// The rule's place in the usual order of its version family (01, or 02 and up).
int OrderOf(const Rule& rule);

// Whether `value` has the form its kind requires (always true for Text).
bool HasForm(Kind kind, std::string_view value);

} // namespace MagneticStripeCards::AamvaElements
