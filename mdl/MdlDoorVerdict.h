#pragma once
// What the door shows for a mobile licence, from the outcome of its session:
//   verified, of the valid age      -> green "21+", "OK", "Mobile licence, verified: <jurisdiction>"
//   verified, under it              -> red "UNDER 21" with the same line
//   only the issuer not in the trust folder -> amber "Issuer not trusted" (never green)
//   any other failed check, a failed session or no age stated -> red "NOT VERIFIED" and the reason
// A trust list in its grace week adds the amber note "trust list out of date".

#include "MdlOutcome.h"

#include <string>
#include <vector>

namespace Mdl {

struct MdlDoorVerdict {
    enum class Colour { Green, Red, Amber };

    Colour colour = Colour::Red;
    std::string headline; // in the age's place
    std::string word;     // "OK" beside it, for green only
    std::string line;     // "Mobile licence, verified: UT" or the reason
    std::vector<std::string> notes;

    static MdlDoorVerdict From(const MdlOutcome& outcome, int validAge, bool trustListOutOfDate);
    // The log's AGE field: "21+" or "under 21"; empty when the licence proved neither.
    static std::string AgeField(const MdlOutcome& outcome, int validAge);
};

} // namespace Mdl
