#include "AamvaBarcodeFormat.h"

#include "AamvaElementSplit.h"
#include "AamvaFields.h"
#include "AamvaHeader.h"
#include "CardText.h"
#include "LegacyBarcodeFormat.h"
#include "UnreadableScan.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace MagneticStripeCards {
namespace {

// A PDF417 symbol holds less than 2 KB of text; anything much longer is not one card's barcode.
constexpr std::size_t kLongestBarcode = 16 * 1024;

struct Subfile {
    std::string_view type; // "DL" or "ID"
    std::string_view data; // its elements, after the repeated type
};

using CardText::IsUpper;

// One keyboard-wedge reader wraps bytes as 0xC2 0x80-0x9F (the UTF-8 form of the C1 controls).
bool HasStrayPair(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

std::string WithoutStrayPairs(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (HasStrayPair(text, i))
            ++i;
        else
            out += text[i];
    }
    return out;
}

bool IsCardType(std::string_view type) {
    return type == "DL" || type == "ID";
}

// The subfile's data starts with its type again and then an element ID: "DLDAQ...".
bool SubfileStartsAt(std::string_view text, std::size_t pos, std::string_view type) {
    return pos + 5 <= text.size() && text.substr(pos, 2) == type && AamvaElements::SlotOf(text.substr(pos + 2, 3)) >= 0;
}

// Where a card subfile starts: where its designator's offset points, when it points at its type;
// otherwise (offsets of zero, one or two off, designators missing) the first place its type is written.
std::optional<Subfile> FindCardStart(std::string_view text, const AamvaHeader& header) {
    const SubfileDesignator* chosen = nullptr;
    for (std::size_t i = 0; i < header.designatorCount && chosen == nullptr; ++i) {
        if (IsCardType(header.designators[i].type))
            chosen = &header.designators[i];
    }
    if (chosen != nullptr) {
        const std::size_t at = header.at + chosen->offset;
        if (at >= header.designatorsEnd && SubfileStartsAt(text, at, chosen->type))
            return Subfile{chosen->type, text.substr(at + 2)};
    }
    for (std::size_t pos = header.designatorsEnd; pos + 5 <= text.size(); ++pos) {
        for (const std::string_view type : {std::string_view("DL"), std::string_view("ID")}) {
            if ((chosen == nullptr || type == chosen->type) && SubfileStartsAt(text, pos, type))
                return Subfile{text.substr(pos, 2), text.substr(pos + 2)};
        }
    }
    return std::nullopt;
}

// Where the jurisdiction's subfile after the card's starts ("ZVZVA01"): at its designator's offset when
// that points at its type, else where a Z type is written twice. The card's data ends there.
std::size_t NextSubfileStart(std::string_view text, std::size_t from, const AamvaHeader& header) {
    std::size_t end = text.size();
    for (std::size_t i = 0; i < header.designatorCount; ++i) {
        const SubfileDesignator& d = header.designators[i];
        const std::size_t at = header.at + d.offset;
        if (!IsCardType(d.type) && at > from && at + 2 <= text.size() && text.substr(at, 2) == d.type)
            end = std::min(end, at);
    }
    for (std::size_t z = text.find('Z', from); z != std::string_view::npos && z + 4 <= end; z = text.find('Z', z + 1)) {
        if (IsUpper(text[z + 1]) && text[z + 2] == 'Z' && text[z + 3] == text[z + 1])
            return z;
    }
    return end;
}

// What the readings of run-together elements that fit equally well disagree on, in words; empty when
// they do not.
std::string SplitAmbiguity(const AamvaElementValues& values) {
    if (!values.AnyUncertain())
        return {};
    static const struct {
        const char* words;
        const char* ids[12];
    } kFields[] = {
        {"birth date", {"DBB"}},
        {"expiry date", {"DBA"}},
        {"name", {"DCS", "DAC", "DAD", "DCT", "DAA", "DAB", "DAE", "DAF", "DCU", "DDE", "DDF", "DDG"}},
        {"address", {"DAG", "DAH", "DAI", "DAJ", "DAK"}},
        {"licence number", {"DAQ"}},
    };
    std::vector<std::string> named;
    for (const auto& field : kFields) {
        const auto uncertain = [&](const char* id) { return id != nullptr && values.Uncertain(id); };
        if (std::any_of(std::begin(field.ids), std::end(field.ids), uncertain))
            named.push_back(std::string("the ") + field.words);
    }
    if (named.empty())
        named.emplace_back("other details");
    std::string words = named.front();
    for (std::size_t i = 1; i < named.size(); ++i)
        words += (i + 1 == named.size() ? " and " : ", ") + named[i];
    return "The barcode's elements ran together and split equally well in more than one way, which differ in " + words +
           ".";
}

} // namespace

bool AamvaBarcodeFormat::Decode(const ScanWork& work, CardRecord& record) const {
    if (LegacyBarcodeFormat::CannotTake(work.swipe) != (m_turn == Turn::BeforeLegacyRules))
        return false;
    std::string cleaned;
    std::string_view text = work.swipe;
    if (text.find('\xC2') != std::string_view::npos) {
        cleaned = WithoutStrayPairs(text);
        text = cleaned;
    }
    const auto header = AamvaHeader::Parse(text);
    if (!header || !header->version)
        return false;
    if (text.size() > kLongestBarcode)
        throw std::logic_error(work.unknown);
    auto subfile = FindCardStart(text, *header);
    if (!subfile)
        throw std::logic_error(work.unknown);
    const std::size_t begin = static_cast<std::size_t>(subfile->data.data() - text.data());
    subfile->data = text.substr(begin, NextSubfileStart(text, begin, *header) - begin);
    const int rules = AamvaElements::RulesVersion(*header->version);
    const SplitContext context{rules, subfile->type == "DL", header->iin};
    const AamvaElementValues values = SplitElements(subfile->data, context, header->separators);
    std::string ambiguity = SplitAmbiguity(values);
    // Which reading is right decides the age or the expiry: nothing the station may guess.
    if (values.Uncertain("DBB") || values.Uncertain("DBA"))
        throw UnreadableScan(work.unknown, {"ambiguous-split", ambiguity});
    AamvaFields::Fill(values, AamvaFields::Card{header->iin, *header->version, rules, subfile->type}, work, record);
    record.splitAmbiguity = std::move(ambiguity);
    return true;
}

} // namespace MagneticStripeCards
