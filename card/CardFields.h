#pragma once
// The one table of a card's fields: the key kestrin-decode's JSON (and the tests) call it by, its column in
// the scan log, whether it is the holder's personal data (left out of a minimal-data log row), and how to
// read it from a Card. The scan log row, the JSON and the tests all walk this table.

#include "CardWarnings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace MagneticStripeCards {

class Card;

// A field's value: null, a text the Card holds (a view, valid while the Card lives: the log row reads
// its texts without copying them), a text made for the reading, a whole number, a yes/no, a list of
// texts, or the hints.
using FieldValue = std::variant<std::nullptr_t, std::string_view, std::string, std::int64_t, bool,
                                std::vector<std::string>, std::vector<CardWarning>>;

struct CardField {
    const char* key; // the JSON key; nullptr for the two log columns that have none
    int logColumn;   // 0-18 in the scan log row, or kNoLogColumn
    bool personal;   // the holder's personal data
    FieldValue (*read)(const Card& card);
};

constexpr int kNoLogColumn = -1;
constexpr int kLogColumns = 19;

// In the order of kestrin-decode's JSON keys.
const std::vector<CardField>& CardFields();

// The field's value as text: texts as they are, numbers in decimal, "true"/"false", "null", lists joined
// by '|', hints as their codes joined by '|'.
std::string FieldText(const FieldValue& value);
// The field called `key`, or nullptr.
const CardField* FindCardField(std::string_view key);

} // namespace MagneticStripeCards
