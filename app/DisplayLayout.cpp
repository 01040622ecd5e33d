#include "DisplayLayout.h"

#include "Card.h"
#include "StringTable.h"

#include <algorithm>
#include <optional>

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPureRed{255, 0, 0};
constexpr Rgb kVerdictRed{200, 0, 0};
constexpr Rgb kVerdictGreen{0, 200, 0};

constexpr int kHeadlineOffset = -35;
constexpr int kNameOffset = -120;
constexpr int kExpiryOffset = 35;
constexpr int kTotalFromRight = 80;
constexpr int kTotalFromBottom = 105;
constexpr int kListX = 20;
constexpr int kListFirstFromBottom = 75;
constexpr int kListLineStep = 20;
constexpr std::size_t kListEntries = 4;

struct MainText {
    std::string text;
    DisplayFont font = DisplayFont::Headline;
    Rgb colour = kBlack;
    int offset = 0;
};

bool CountsTowardsTotal(const ShownCard& card, const DisplayInput& in) {
    if (!in.countValidOnly)
        return true;
    return !card.expired && card.age >= in.validAge;
}

// The total is a plain counter; wrapping at 2^31 beats undefined behaviour on a station left running.
std::int32_t Advanced(std::int32_t total) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(total) + 1u);
}

MainText LayoutCard(const DisplayInput& in, const ShownCard& card, std::vector<TextItem>& items) {
    const int cx = in.width / 2;
    const int cy = in.height / 2;
    if (!card.displayName.empty())
        items.push_back(
            {card.displayName, DisplayFont::Name, kBlack, TextAnchor::CentreBaseline, cx, cy + kNameOffset});
    items.push_back({Resources::String(Resources::IDS_EXP_DATE) + card.expirationText, DisplayFont::Expiry,
                     card.expired ? kVerdictRed : kVerdictGreen, TextAnchor::CentreBaseline, cx, cy + kExpiryOffset});
    const Rgb ageColour = card.age < in.validAge ? kVerdictRed : kVerdictGreen;
    return {card.ageText, DisplayFont::Age, ageColour, 0};
}

void LayoutLowerArea(const DisplayInput& in, std::int32_t total, std::vector<TextItem>& items) {
    items.push_back({"Total  " + std::to_string(total), DisplayFont::Small, kBlack, TextAnchor::LeftBottom,
                     in.width - kTotalFromRight, in.height - kTotalFromBottom});
    const std::size_t shown = std::min(in.lastResults.size(), kListEntries);
    for (std::size_t i = 0; i < shown; ++i) {
        const int y = in.height - kListFirstFromBottom + kListLineStep * static_cast<int>(i);
        items.push_back({in.lastResults[i], DisplayFont::Small, kBlack, TextAnchor::LeftBottom, kListX, y});
    }
}

} // namespace

ShownCard ShownCardOf(const MagneticStripeCards::Card& card) {
    return {card.DisplayName(), card.Age(), card.AgeText(), card.ExpirationText(), card.Expired()};
}

DisplayOutput LayoutDisplay(const DisplayInput& in) {
    if (in.card == nullptr)
        return LayoutDisplay(in, nullptr);
    const ShownCard card = ShownCardOf(*in.card);
    return LayoutDisplay(in, &card);
}

DisplayOutput LayoutDisplay(const DisplayInput& in, const ShownCard* card) {
    DisplayOutput out;
    out.total = in.total;
    // A card is counted at the first paint after it was decoded, which normally shows its result; should
    // its result time out unpainted (a Comments dialog open for over ten seconds), the next paint counts
    // it all the same. Later repaints only draw the total.
    if (in.cardUncounted && card != nullptr && CountsTowardsTotal(*card, in))
        out.total = Advanced(out.total);
    MainText main;
    switch (in.state) {
    case DisplayState::Ready:
        main = {Resources::String(Resources::IDS_READY), DisplayFont::Headline, kBlack, kHeadlineOffset};
        break;
    case DisplayState::UnknownCard:
        main = {in.unknownCardText, DisplayFont::Headline, kPureRed, kHeadlineOffset};
        break;
    case DisplayState::CardShown:
        if (card == nullptr)
            break;
        main = LayoutCard(in, *card, out.items);
        break;
    case DisplayState::Capturing:
    default:
        break;
    }
    if (!main.text.empty())
        out.items.push_back(
            {main.text, main.font, main.colour, TextAnchor::CentreBaseline, in.width / 2, in.height / 2 + main.offset});
    LayoutLowerArea(in, out.total, out.items);
    return out;
}
