#pragma once
// The elements of one AAMVA subfile: "DCSMORALES" LF "DACISABEL" LF ... With separators every element
// is one piece, whatever its value holds ("DAG123 DACOSTA ST" stays whole). Without them (a keyboard-wedge
// reader that loses LF, RS and CR) the text is cut at the element IDs the card's version knows, choosing
// among all the ways to cut it the one that keeps the values within their lengths and forms, the elements
// in the usual order and each ID once, with as few cuts as that allows.

#include "AamvaElements.h"

#include <array>
#include <string_view>

namespace MagneticStripeCards {

class AamvaElementValues {
public:
    // The element's value as written (untrimmed), or nothing when the subfile does not have it.
    std::string_view Get(std::string_view id) const;
    bool Has(std::string_view id) const;
    // Keeps the first value of each ID.
    void Set(int slot, std::string_view value);

private:
    std::array<std::string_view, AamvaElements::kSlots> m_values{};
    std::array<bool, AamvaElements::kSlots> m_present{};
};

// `separators`: extra element separators the header declared (LF, RS and CR always separate).
AamvaElementValues SplitElements(std::string_view data, int rulesVersion, std::string_view separators);

} // namespace MagneticStripeCards
