#pragma once
// The header of an AAMVA DL/ID barcode (AAMVA DL/ID card design standard, annex D):
//
//   @ LF RS CR "ANSI " IIN(6) version(2) jurisdiction version(2) entries(2) designators(10 each) ...
//
// read as keyboard-wedge readers deliver it: stray bytes before the '@', separators lost or doubled,
// the jurisdiction version or the number of entries missing.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace MagneticStripeCards {

struct SubfileDesignator {
    std::string_view type;  // "DL", "ID", "ZV", ...
    std::size_t offset = 0; // from the '@', as written (often wrong)
};

struct AamvaHeader {
    static constexpr std::size_t kMostDesignators = 16;

    std::size_t at = 0;             // the compliance indicator '@'
    std::string_view separators;    // the bytes between the '@' and the file type
    std::string_view iin;           // six digits
    std::optional<int> version;     // two digits, when the header has them
    std::size_t designatorsEnd = 0; // the first byte after the last designator
    std::array<SubfileDesignator, kMostDesignators> designators{};
    std::size_t designatorCount = 0; // "DL00410278" and the like, however many entries the header claims

    // nullopt unless `text` holds "@", then within a few bytes "ANSI " or "AAMVA" and six digits, near
    // its start. The views point into `text`.
    static std::optional<AamvaHeader> Parse(std::string_view text);
};

} // namespace MagneticStripeCards
