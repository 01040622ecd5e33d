#pragma once
// The element split of an AAMVA 2D-barcode text: each of the 19 data element IDs gets a line feed in
// front of its first occurrence (in table order), and an element's value runs from after its ID to the
// next line feed.
//
// Done literally that is 19 inserts and 38 searches of the whole text. This class reads the text once and
// works out the same result: an inserted line feed can never create an occurrence of an ID, and the only
// occurrence it can break is a "DBD" whose final 'D' starts the ID in front of which the line feed goes
// (IDs are D, then A or B, then a letter; only DBD ends in D). So every ID but DBD keeps its first
// occurrence, and DBD takes its first occurrence not broken by the line feeds inserted before its turn.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace MagneticStripeCards {

class BarcodeElements {
public:
    static constexpr std::size_t kCount = 19;
    // In the order the line feeds are inserted.
    static constexpr std::array<const char*, kCount> kIds = {"DAQ", "DAA", "DAH", "DAG", "DAI", "DAJ", "DAK",
                                                             "DAS", "DAU", "DAW", "DBA", "DBB", "DBC", "DAT",
                                                             "DAR", "DBD", "DBH", "DBJ", "DBK"};

    // Throws std::out_of_range when one of the IDs is missing at its turn.
    explicit BarcodeElements(std::string_view text);
    // The same without the exception: nullopt when one of the IDs is missing.
    static std::optional<BarcodeElements> Find(std::string_view text);

    // The value of the element, or nullopt when it is skipped (no line feed after it).
    std::optional<std::string_view> Value(std::string_view id) const;

private:
    BarcodeElements() = default;
    // Finds where each ID's line feed goes; false when one of the IDs is missing at its turn.
    bool Locate(std::string_view text);
    // The first DBD occurrence that no line feed among the first `inserted` ones breaks.
    std::size_t SurvivingDbd(std::size_t inserted) const;

    // At most 18 line feeds are inserted, each breaking at most one DBD occurrence: among the first 19
    // occurrences one survives, if the text has that many.
    static constexpr std::size_t kDbdKept = 19;

    std::string_view m_text;
    std::array<std::size_t, kCount> m_at{}; // where each ID's line feed was inserted (positions in m_text)
    std::array<std::size_t, kDbdKept> m_dbd{};
    std::size_t m_dbdCount = 0;
};

} // namespace MagneticStripeCards
