#include "DisplayLayout.h"

#include "Card.h"
#include "Clock.h"
#include "TempHive.h"

#include "RowName.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

// For EXPECT_EQ on items and lists of items (found by argument-dependent lookup).
bool operator==(const TextItem& a, const TextItem& b) {
    return a.text == b.text && a.font == b.font && a.colour == b.colour && a.anchor == b.anchor && a.x == b.x &&
           a.y == b.y;
}

std::ostream& operator<<(std::ostream& os, const TextItem& item) {
    return os << "{\"" << item.text << "\" font " << static_cast<int>(item.font) << " rgb(" << item.colour.r << ","
              << item.colour.g << "," << item.colour.b << ") anchor " << static_cast<int>(item.anchor) << " at "
              << item.x << "," << item.y << "}";
}

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPureRed{255, 0, 0};
constexpr Rgb kRed{200, 0, 0};
constexpr Rgb kGreen{0, 200, 0};

// Odd sizes, so the halves are truncated.
constexpr int kW = 667;
constexpr int kH = 549;
constexpr int kCx = 333;
constexpr int kCy = 274;

DisplayInput Input(DisplayState state) {
    DisplayInput in;
    in.state = state;
    in.width = kW;
    in.height = kH;
    in.validAge = 21;
    return in;
}

ShownCard CardOf(std::int32_t age, bool expired, std::string name = "Doe John Q") {
    return {std::move(name), age, std::to_string(age), "Aug-15-2008", expired};
}

TextItem TotalItem(int total) {
    return {"Total  " + std::to_string(total), DisplayFont::Small, kBlack, TextAnchor::LeftBottom, kW - 80, kH - 105};
}

TEST(LayoutDisplay, ReadyShowsTheCentredPromptAndTotalZero) {
    const DisplayOutput out = LayoutDisplay(Input(DisplayState::Ready));
    const std::vector<TextItem> expected{
        {"Ready!", DisplayFont::Headline, kBlack, TextAnchor::CentreBaseline, kCx, kCy - 35},
        TotalItem(0),
    };
    EXPECT_EQ(out.items, expected);
    EXPECT_EQ(out.total, 0);
}

TEST(LayoutDisplay, CardResultDrawsNameExpiryAgeThenTotalAndList) {
    DisplayInput in = Input(DisplayState::CardShown);
    in.total = 6;
    in.cardUncounted = true;
    in.lastResults = {"14:05:33 - Doe John Q, 26 years"};
    const ShownCard card = CardOf(26, false);
    const DisplayOutput out = LayoutDisplay(in, &card);
    const std::vector<TextItem> expected{
        {"Doe John Q", DisplayFont::Name, kBlack, TextAnchor::CentreBaseline, kCx, kCy - 120},
        {"Exp. Date Aug-15-2008", DisplayFont::Expiry, kGreen, TextAnchor::CentreBaseline, kCx, kCy + 35},
        {"26", DisplayFont::Age, kGreen, TextAnchor::CentreBaseline, kCx, kCy},
        TotalItem(7),
        {"14:05:33 - Doe John Q, 26 years", DisplayFont::Small, kBlack, TextAnchor::LeftBottom, 20, kH - 75},
    };
    EXPECT_EQ(out.items, expected);
    EXPECT_EQ(out.total, 7);
}

struct VerdictCase {
    const char* name;
    std::int32_t age;
    bool expired;
    std::int32_t validAge;
    bool countValidOnly;
    bool uncounted;
    Rgb ageColour;
    Rgb expiryColour;
    int counted;
};

void PrintTo(const VerdictCase& row, std::ostream* os) {
    *os << row.name;
}

class LayoutVerdict : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(LayoutVerdict, ColoursAndCounting) {
    const VerdictCase& c = GetParam();
    DisplayInput in = Input(DisplayState::CardShown);
    in.validAge = c.validAge;
    in.countValidOnly = c.countValidOnly;
    in.cardUncounted = c.uncounted;
    in.total = 40;
    const ShownCard card = CardOf(c.age, c.expired);
    const DisplayOutput out = LayoutDisplay(in, &card);
    ASSERT_EQ(out.items.size(), 4u);
    EXPECT_EQ(out.items[1].colour, c.expiryColour) << "expiry line";
    EXPECT_EQ(out.items[2].text, std::to_string(c.age));
    EXPECT_EQ(out.items[2].colour, c.ageColour) << "age";
    EXPECT_EQ(out.total, 40 + c.counted);
    EXPECT_EQ(out.items[3], TotalItem(40 + c.counted));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutVerdict,
    ::testing::Values(VerdictCase{"ExactlyValidAgeCounts", 21, false, 21, true, true, kGreen, kGreen, 1},
                      VerdictCase{"ExpiredOverAgeCountedWithOptionOff", 30, true, 21, false, true, kGreen, kRed, 1},
                      VerdictCase{"ExpiredOverAgeNotCountedWithOptionOn", 30, true, 21, true, true, kGreen, kRed, 0},
                      VerdictCase{"UnderAgeCountedWithOptionOff", 20, false, 21, false, true, kRed, kGreen, 1},
                      VerdictCase{"UnderAgeNotCountedWithOptionOn", 20, false, 21, true, true, kRed, kGreen, 0},
                      VerdictCase{"UnderAgeAndExpired", 17, true, 21, false, true, kRed, kRed, 1},
                      VerdictCase{"RepaintOfCountedValidCardDoesNotCount", 26, false, 21, false, false, kGreen, kGreen,
                                  0},
                      VerdictCase{"RepaintWithOptionOnDoesNotCount", 26, false, 21, true, false, kGreen, kGreen, 0},
                      VerdictCase{"MissingValidAgeMakesEveryAgeValid", 0, false, -1, true, true, kGreen, kGreen, 1},
                      VerdictCase{"NegativeAgeIsUnderAge", -3, false, 21, false, true, kRed, kGreen, 1}),
    RowName());

TEST(LayoutDisplay, EmptyNameDrawsNoNameLine) {
    DisplayInput in = Input(DisplayState::CardShown);
    const ShownCard card = CardOf(26, false, "");
    const DisplayOutput out = LayoutDisplay(in, &card);
    ASSERT_EQ(out.items.size(), 3u);
    EXPECT_EQ(out.items[0].font, DisplayFont::Expiry);
    EXPECT_EQ(out.items[1].font, DisplayFont::Age);
}

TEST(LayoutDisplay, EmptyExpiryTextStillDrawsTheLabel) {
    DisplayInput in = Input(DisplayState::CardShown);
    ShownCard card = CardOf(26, false);
    card.expirationText.clear();
    EXPECT_EQ(LayoutDisplay(in, &card).items[1].text, "Exp. Date ");
}

TEST(LayoutDisplay, UnknownCardShowsItsTextInPureRedAndCountsNothing) {
    DisplayInput in = Input(DisplayState::UnknownCard);
    in.unknownCardText = "Unknown DL";
    in.total = 3;
    in.lastResults = {"a", "b"};
    const ShownCard card = CardOf(26, false);
    const DisplayOutput out = LayoutDisplay(in, &card);
    ASSERT_EQ(out.items.size(), 4u);
    EXPECT_EQ(out.items[0],
              (TextItem{"Unknown DL", DisplayFont::Headline, kPureRed, TextAnchor::CentreBaseline, kCx, kCy - 35}));
    EXPECT_EQ(out.total, 3);
    EXPECT_EQ(out.items[1], TotalItem(3));
}

TEST(LayoutDisplay, CapturingShowsOnlyTotalAndList) {
    DisplayInput in = Input(DisplayState::Capturing);
    in.total = 9;
    in.lastResults = {"newest"};
    const ShownCard card = CardOf(26, false);
    const DisplayOutput out = LayoutDisplay(in, &card);
    const std::vector<TextItem> expected{
        TotalItem(9),
        {"newest", DisplayFont::Small, kBlack, TextAnchor::LeftBottom, 20, kH - 75},
    };
    EXPECT_EQ(out.items, expected);
    EXPECT_EQ(out.total, 9);
}

// A result that timed out before it was painted (the Comments dialog held it) still counts, once.
TEST(LayoutDisplay, UncountedCardIsCountedWhateverThePaintShows) {
    for (const DisplayState state : {DisplayState::Ready, DisplayState::Capturing}) {
        DisplayInput in = Input(state);
        in.total = 9;
        in.cardUncounted = true;
        in.countValidOnly = true;
        const ShownCard valid = CardOf(26, false);
        const DisplayOutput out = LayoutDisplay(in, &valid);
        EXPECT_EQ(out.total, 10) << static_cast<int>(state);
        EXPECT_EQ(out.items.back(), TotalItem(10));
        for (const TextItem& item : out.items)
            EXPECT_NE(item.font, DisplayFont::Age) << "no card result outside CardShown";
        const ShownCard expired = CardOf(26, true);
        EXPECT_EQ(LayoutDisplay(in, &expired).total, 9) << "the counting rule still applies";
    }
}

TEST(LayoutDisplay, CardShownWithoutACardDrawsLikeCapturing) {
    DisplayInput in = Input(DisplayState::CardShown);
    in.cardUncounted = true;
    const DisplayOutput out = LayoutDisplay(in);
    EXPECT_EQ(out.items, std::vector<TextItem>{TotalItem(0)});
    EXPECT_EQ(out.total, 0);
}

TEST(LayoutDisplay, ListEntriesNewestFirstFromTheBottomUp) {
    DisplayInput in = Input(DisplayState::Ready);
    in.lastResults = {"e0", "e1", "e2", "e3", "e4"};
    const DisplayOutput out = LayoutDisplay(in);
    ASSERT_EQ(out.items.size(), 6u) << "prompt, total and at most four entries";
    const int bottoms[] = {kH - 75, kH - 55, kH - 35, kH - 15};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out.items[2 + i], (TextItem{"e" + std::to_string(i), DisplayFont::Small, kBlack,
                                              TextAnchor::LeftBottom, 20, bottoms[i]}));
    }
}

TEST(LayoutDisplay, LongTotalStartsAtTheSamePlace) {
    DisplayInput in = Input(DisplayState::Ready);
    in.total = 2147483647;
    EXPECT_EQ(LayoutDisplay(in).items[1],
              (TextItem{"Total  2147483647", DisplayFont::Small, kBlack, TextAnchor::LeftBottom, kW - 80, kH - 105}));
}

TEST(LayoutDisplay, ReadsTheDecodedCard) {
    const TempSettings settings;
    const MagneticStripeCards::FixedClock clock(2007, 3, 10);
    const MagneticStripeCards::Card card("%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?"
                                         "#0295814      C               1508150BRNBLU?",
                                         clock);
    DisplayInput in = Input(DisplayState::CardShown);
    in.card = &card;
    in.validAge = card.Age();
    in.countValidOnly = true;
    in.cardUncounted = true;
    const DisplayOutput out = LayoutDisplay(in);
    ASSERT_EQ(out.items.size(), 4u);
    EXPECT_EQ(out.items[0].text, card.DisplayName());
    EXPECT_EQ(out.items[1].text, "Exp. Date " + card.ExpirationText());
    EXPECT_EQ(out.items[1].colour, card.Expired() ? kRed : kGreen);
    EXPECT_EQ(out.items[2].text, card.AgeText());
    EXPECT_EQ(out.items[2].colour, kGreen);
    EXPECT_EQ(out.total, card.Expired() ? 0 : 1);
}

} // namespace
