#pragma once
// The elements of one AAMVA subfile: "DCSMORALES" LF "DACISABEL" LF ... With separators every element
// is one piece, whatever its value holds ("DAG123 DACOSTA ST" stays whole). Without them (a keyboard-wedge
// reader that loses LF, RS and CR) the text is cut at element IDs of the card's version, choosing among
// all the ways to cut it the whole reading that fits the standard best (AamvaElements.h: lengths, widths,
// forms, required elements, padding, each ID once), and only then the usual order. Where readings fit
// equally well and say different things, the IDs they disagree on are marked uncertain.

#include "AamvaElements.h"

#include <array>
#include <string_view>

namespace MagneticStripeCards {

class AamvaElementValues {
public:
    // The element's value as written (untrimmed), or nothing when the subfile does not have it.
    std::string_view Get(std::string_view id) const;
    bool Has(std::string_view id) const;
    // The same by the ID's slot (AamvaElements::SlotOf), for readers that look many up.
    std::string_view Get(int slot) const {
        const auto s = static_cast<std::size_t>(slot);
        return m_present[s] ? std::string_view(m_values[s].data, m_values[s].size) : std::string_view();
    }
    bool Has(int slot) const { return m_present[static_cast<std::size_t>(slot)]; }
    // Keeps the first value of each ID.
    void Set(int slot, std::string_view value);

    // Whether another reading of run-together text, as good as the one taken, gives `id` another value
    // (or none).
    bool Uncertain(std::string_view id) const;
    bool Uncertain(int slot) const { return m_uncertain[static_cast<std::size_t>(slot)]; }
    bool AnyUncertain() const { return m_anyUncertain; }
    void MarkUncertain(int slot);

private:
    struct Span {
        const char* data;
        std::size_t size;
    };
    // Left unset: only the slots marked present hold a value, and clearing 1.5 KB for each barcode cost
    // more than reading its present ones.
    std::array<Span, AamvaElements::kSlots> m_values;
    std::array<bool, AamvaElements::kSlots> m_present{};
    std::array<bool, AamvaElements::kSlots> m_uncertain{};
    bool m_anyUncertain = false;
};

// What is known of the card before its elements are read.
struct SplitContext {
    int rulesVersion = AamvaElements::kNewestVersion;
    bool licence = true; // a DL subfile, which must carry classes, restrictions and endorsements
    // The issuer: dates are CCYYMMDD on version-01 and Canadian cards, MMDDCCYY on the others. Looked
    // up only for run-together text, where the dates' order helps to cut.
    std::string_view iin;
};

// `separators`: extra element separators the header declared (LF, RS and CR always separate).
AamvaElementValues SplitElements(std::string_view data, const SplitContext& context, std::string_view separators);
// The same with run-together text always cut by the full search, never by the shortcut for text whose
// best reading cuts at every ID: the tests hold the two to the same readings.
AamvaElementValues SplitElementsBySearch(std::string_view data, const SplitContext& context,
                                         std::string_view separators);

} // namespace MagneticStripeCards
