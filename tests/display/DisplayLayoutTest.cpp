#include "DisplayLayout.h"

#include "RowName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

// For EXPECT_EQ on items and lists of items (found by argument-dependent lookup).
bool operator==(const TextItem& a, const TextItem& b) {
    return a.text == b.text && a.font == b.font && a.cellHeight == b.cellHeight && a.colour == b.colour &&
           a.anchor == b.anchor && a.x == b.x && a.y == b.y;
}

std::ostream& operator<<(std::ostream& os, const TextItem& item) {
    return os << "{\"" << item.text << "\" font " << static_cast<int>(item.font) << "/" << item.cellHeight << " rgb("
              << item.colour.r << "," << item.colour.g << "," << item.colour.b << ") anchor "
              << static_cast<int>(item.anchor) << " at " << item.x << "," << item.y << "}";
}

namespace {

using namespace DisplayColour;

// Deterministic metrics: every character is half a cell wide; ascent four fifths of the cell, capitals
// three fifths.
class FakeMeasure final : public ITextMeasure {
public:
    TextExtent Measure(DisplayFont, int cell, const std::string& text) const override {
        const int ascent = cell * 4 / 5;
        return {static_cast<int>(text.size()) * cell / 2, ascent, cell - ascent, cell * 3 / 5};
    }
};

const FakeMeasure kMeasure;

// The station's client area at its template size (444 x 317 with the dialog font): odd, so the halves
// are truncated.
constexpr int kW = 444;
constexpr int kH = 317;
constexpr int kCx = 222;
constexpr int kCy = 158;

DisplayInput Input(DisplayState state, int width = kW, int height = kH) {
    DisplayInput in;
    in.state = state;
    in.width = width;
    in.height = height;
    in.designWidth = kW;
    in.designHeight = kH;
    in.validAge = 21;
    return in;
}

ShownCard CardOf(std::int32_t age, bool expired, std::string name = "Doe John Q") {
    ShownCard card;
    card.displayName = std::move(name);
    card.age = age;
    card.ageText = std::to_string(age);
    card.expirationText = "Aug-15-2008";
    card.expired = expired;
    return card;
}

DisplayInput CardInput(const ShownCard& card, int width = kW, int height = kH) {
    DisplayInput in = Input(DisplayState::CardShown, width, height);
    in.card = card;
    return in;
}

TextItem TotalItem(int total) {
    return {
        "Total  " + std::to_string(total), DisplayFont::Small, 17, kBlack, TextAnchor::LeftBottom, kW - 80, kH - 105};
}

TextItem ListItem(const std::string& text, int i, Rgb colour = kBlack) {
    return {text, DisplayFont::Small, 17, colour, TextAnchor::LeftBottom, 20, kH - 75 + 20 * i};
}

bool IsVerdictWord(const std::string& text) {
    return text == "OK" || text == "EXPIRED" || text.rfind("UNDER", 0) == 0 || text.rfind("Turns", 0) == 0 ||
           text.find("Mar 10") != std::string::npos;
}

// The classic items: everything but the verdict's word and the day of coming of age.
std::vector<TextItem> ClassicItems(const DisplayOutput& out) {
    std::vector<TextItem> items;
    std::copy_if(out.items.begin(), out.items.end(), std::back_inserter(items),
                 [](const TextItem& item) { return !IsVerdictWord(item.text); });
    return items;
}

const TextItem* Find(const DisplayOutput& out, DisplayFont font) {
    const auto it = std::find_if(out.items.begin(), out.items.end(), [&](const TextItem& i) { return i.font == font; });
    return it == out.items.end() ? nullptr : &*it;
}

struct PictureCase {
    const char* name;
    DisplayState state;
    bool withCard;
    std::vector<TextItem> expected;
};

void PrintTo(const PictureCase& row, std::ostream* os) {
    *os << row.name;
}

class ClassicPicture : public ::testing::TestWithParam<PictureCase> {};

// At the template's size the classic items are exactly where, how large and in which colour they always
// were; the verdict's word and mark come on top.
TEST_P(ClassicPicture, AtTheDesignSizeTheItemsAreTheClassicOnes) {
    const PictureCase& c = GetParam();
    DisplayInput in = Input(c.state);
    in.total = 7;
    in.unknownCardText = "Unknown DL";
    in.lastResults = {"14:05:33 - Doe John Q, 26 years", "older"};
    if (c.withCard)
        in.card = CardOf(26, false);
    const DisplayOutput out = LayoutDisplay(in, kMeasure);
    std::vector<TextItem> expected = c.expected;
    expected.push_back(TotalItem(7));
    expected.push_back(ListItem("14:05:33 - Doe John Q, 26 years", 0));
    expected.push_back(ListItem("older", 1));
    EXPECT_EQ(ClassicItems(out), expected);
    EXPECT_DOUBLE_EQ(out.scale, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClassicPicture,
    ::testing::Values(
        PictureCase{"Ready",
                    DisplayState::Ready,
                    false,
                    {{"Ready!", DisplayFont::Headline, 75, kBlack, TextAnchor::CentreBaseline, kCx, kCy - 35}}},
        PictureCase{"Unknown",
                    DisplayState::UnknownCard,
                    true,
                    {{"Unknown DL", DisplayFont::Headline, 75, kPureRed, TextAnchor::CentreBaseline, kCx, kCy - 35}}},
        PictureCase{"CapturingShowsOnlyTheLowerArea", DisplayState::Capturing, true, {}},
        PictureCase{"CardShownWithoutACardDrawsLikeCapturing", DisplayState::CardShown, false, {}},
        PictureCase{"CardResult",
                    DisplayState::CardShown,
                    true,
                    {{"Doe John Q", DisplayFont::Name, 40, kBlack, TextAnchor::CentreBaseline, kCx, kCy - 120},
                     {"Exp. Date Aug-15-2008", DisplayFont::Expiry, 35, kVerdictGreen, TextAnchor::CentreBaseline, kCx,
                      kCy + 35},
                     {"26", DisplayFont::Age, 180, kVerdictGreen, TextAnchor::CentreBaseline, kCx, kCy}}}),
    RowName());

struct VerdictCase {
    const char* name;
    std::int32_t age;
    bool expired;
    std::int32_t validAge;
    Rgb ageColour;
    Rgb expiryColour;
    const char* word;
    ShapeKind mark;
    Rgb verdictColour;
};

void PrintTo(const VerdictCase& row, std::ostream* os) {
    *os << row.name;
}

class LayoutVerdict : public ::testing::TestWithParam<VerdictCase> {};

// The word, the mark's shape and the frame say the verdict without relying on colour; the age and the
// expiry line keep their classic colours.
TEST_P(LayoutVerdict, WordMarkAndFrameOfTheVerdict) {
    const VerdictCase& c = GetParam();
    DisplayInput in = CardInput(CardOf(c.age, c.expired));
    in.validAge = c.validAge;
    const DisplayOutput out = LayoutDisplay(in, kMeasure);
    ASSERT_NE(Find(out, DisplayFont::Age), nullptr);
    EXPECT_EQ(Find(out, DisplayFont::Age)->colour, c.ageColour) << "age";
    EXPECT_EQ(Find(out, DisplayFont::Expiry)->colour, c.expiryColour) << "expiry line";
    std::string word;
    for (const TextItem& item : out.items)
        if (item.font == DisplayFont::Headline) {
            word += (word.empty() ? "" : " ") + item.text;
            EXPECT_EQ(item.colour, c.verdictColour) << item.text;
        }
    EXPECT_EQ(word, c.word);
    ASSERT_EQ(out.shapes.size(), 2u);
    EXPECT_EQ(out.shapes[0].kind, ShapeKind::Frame);
    EXPECT_EQ(out.shapes[0].colour, c.verdictColour);
    EXPECT_EQ(out.shapes[0].box, QRect(0, 0, kW, kH));
    EXPECT_GE(out.shapes[0].thickness, 4);
    EXPECT_EQ(out.shapes[1].kind, c.mark);
    EXPECT_EQ(out.shapes[1].colour, c.verdictColour);
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutVerdict,
                         ::testing::Values(VerdictCase{"OfAge", 26, false, 21, kVerdictGreen, kVerdictGreen, "OK",
                                                       ShapeKind::Check, kVerdictGreen},
                                           VerdictCase{"ExactlyValidAge", 21, false, 21, kVerdictGreen, kVerdictGreen,
                                                       "OK", ShapeKind::Check, kVerdictGreen},
                                           VerdictCase{"ExpiredNeverAPlainOk", 30, true, 21, kVerdictGreen, kVerdictRed,
                                                       "EXPIRED", ShapeKind::Warning, kVerdictRed},
                                           VerdictCase{"UnderAge", 20, false, 21, kVerdictRed, kVerdictGreen,
                                                       "UNDER 21", ShapeKind::Cross, kVerdictRed},
                                           VerdictCase{"UnderTheValidAgeInForce", 17, false, 18, kVerdictRed,
                                                       kVerdictGreen, "UNDER 18", ShapeKind::Cross, kVerdictRed},
                                           VerdictCase{"UnderAgeAndExpiredIsUnderAge", 17, true, 21, kVerdictRed,
                                                       kVerdictRed, "UNDER 21", ShapeKind::Cross, kVerdictRed},
                                           VerdictCase{"NegativeAgeIsUnderAge", -3, false, 21, kVerdictRed,
                                                       kVerdictGreen, "UNDER 21", ShapeKind::Cross, kVerdictRed}),
                         RowName());

// The new items keep clear of the classic ones: the mark left of the age's figures, the word right of them,
// neither over the name or the expiry line; the lower lines below everything a dialog must not cover.
TEST(LayoutDisplay, MarkAndWordSitBesideTheAge) {
    for (const auto& [age, name] : {std::pair<int, std::string>{26, "Doe John Q"},
                                    {7, ""},
                                    {105, "Doe John Q"},
                                    {20, "Featherstonehaugh-Cholmondeley Wolfeschlegelstein Q"}}) {
        const DisplayOutput out = LayoutDisplay(CardInput(CardOf(age, false, name)), kMeasure);
        const QRect ageBox = BoxOf(*Find(out, DisplayFont::Age), kMeasure);
        const QRect expiryBox = BoxOf(*Find(out, DisplayFont::Expiry), kMeasure);
        const QRect nameBox = name.empty() ? QRect() : BoxOf(*Find(out, DisplayFont::Name), kMeasure);
        ASSERT_EQ(out.shapes.size(), 2u) << age;
        const QRect mark = out.shapes[1].box;
        EXPECT_LT(mark.right(), ageBox.left()) << age;
        EXPECT_GE(mark.width(), 20) << age;
        for (const TextItem& item : out.items) {
            if (!IsVerdictWord(item.text))
                continue;
            const QRect box = BoxOf(item, kMeasure);
            EXPECT_GT(box.left(), ageBox.right()) << item.text;
            EXPECT_LE(box.right(), kW - 8) << item.text;
            EXPECT_FALSE(box.intersects(expiryBox)) << item.text;
            EXPECT_FALSE(box.intersects(nameBox)) << item.text;
        }
        EXPECT_FALSE(mark.intersects(nameBox)) << age;
        EXPECT_FALSE(mark.intersects(expiryBox)) << age;
        EXPECT_TRUE(out.verdictArea.contains(ageBox) && out.verdictArea.contains(expiryBox) &&
                    out.verdictArea.contains(mark));
        EXPECT_FALSE(out.lowerLines.intersects(out.verdictArea)) << age;
    }
}

struct FitCase {
    const char* name;
    DisplayState state;
    std::string text; // the unknown-card text, the holder's name or a last result
    int width;
    int height;
    std::int32_t total;
};

void PrintTo(const FitCase& row, std::ostream* os) {
    *os << row.name;
}

class LayoutFit : public ::testing::TestWithParam<FitCase> {};

// Whatever the texts and the size, every item lies within the client area's margins, no font grows
// beyond its size, and the last results stay below the verdict.
TEST_P(LayoutFit, EveryItemInsideTheClientArea) {
    const FitCase& c = GetParam();
    DisplayInput in = Input(c.state, c.width, c.height);
    in.unknownCardText = c.text;
    in.total = c.total;
    in.lastResults = {c.text, "14:05:33 - Doe John Q, 26 years", "c", "d"};
    ShownCard card = CardOf(17, true, c.text);
    card.comesOfAgeOn = "Mar 10, 2029";
    card.warnings = {"IIN not of this jurisdiction", "expiry before issue"};
    in.card = card;
    in.notLogged = true;
    in.validAge = 0;
    const DisplayOutput out = LayoutDisplay(in, kMeasure);
    const int margin = static_cast<int>(8 * out.scale + 0.5);
    const QRect inside(margin, 0, c.width - 2 * margin, c.height);
    for (const TextItem& item : out.items) {
        const QRect box = BoxOf(item, kMeasure);
        EXPECT_TRUE(inside.contains(box))
            << item << " box " << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
    }
    for (const ShapeItem& shape : out.shapes)
        EXPECT_TRUE(QRect(0, 0, c.width, c.height).contains(shape.box)) << static_cast<int>(shape.kind);
    EXPECT_TRUE(QRect(0, 0, c.width, c.height).contains(out.lowerLines));
}

const std::string kLong = "Featherstonehaugh-Cholmondeley Wolfeschlegelsteinhausenbergerdorff Q";

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutFit,
    ::testing::Values(FitCase{"UnknownAtTheDesignSize", DisplayState::UnknownCard, "Unknown DL", kW, kH, 3},
                      FitCase{"UnknownInANarrowWindow", DisplayState::UnknownCard, "Unknown DL", 300, kH, 3},
                      FitCase{"LongNameAtTheDesignSize", DisplayState::CardShown, kLong, kW, kH, 0},
                      FitCase{"LongTotal", DisplayState::Ready, "x", kW, kH, 2147483647},
                      FitCase{"EverythingFullScreen", DisplayState::CardShown, kLong, 1920, 1058, 123456},
                      FitCase{"FullHdClientArea", DisplayState::CardShown, "Doe John Q", 1920, 1080, 12},
                      FitCase{"Portrait", DisplayState::CardShown, "Doe John Q", 800, 1200, 12},
                      FitCase{"FourByThree", DisplayState::UnknownCard, "Unknown DL", 1280, 1024, 12}),
    RowName());

TEST(LayoutDisplay, ShrinksOnlyWhatDoesNotFit) {
    DisplayInput in = Input(DisplayState::UnknownCard, 300, kH);
    in.designWidth = in.designHeight = 0; // unscaled
    in.unknownCardText = "Unknown DL";    // 375 px wide at its size: too wide for 300 - 2 * 8
    in.lastResults = {"short"};
    const DisplayOutput out = LayoutDisplay(in, kMeasure);
    EXPECT_LT(out.items[0].cellHeight, 75);
    EXPECT_GE(BoxOf(out.items[0], kMeasure).width(), 300 - 16 - 10) << "as large as fits, not smaller";
    EXPECT_EQ(out.items.back(),
              (TextItem{"short", DisplayFont::Small, 17, kBlack, TextAnchor::LeftBottom, 20, kH - 75}));
}

// A long total keeps its size and moves left from W - 80 rather than run past the edge.
TEST(LayoutDisplay, LongTotalMovesLeftInsteadOfShrinking) {
    DisplayInput in = Input(DisplayState::Ready);
    in.total = 2147483647;
    const TextItem total = LayoutDisplay(in, kMeasure).items[1];
    EXPECT_EQ(total.cellHeight, 17);
    EXPECT_EQ(total.x + 17 * 17 / 2, kW - 8); // 17 characters, 8.5 px each, ending at the margin
}

// The inside count sits under the total, in its own colour, clear of the lower lines' texts (between the
// total and the lower lines' area there is less than a line, so it reaches 3 px into that area, beside
// the texts, which start at the left), and keeps its size.
TEST(LayoutDisplay, InsideCountUnderTheTotalAboveTheLowerLines) {
    DisplayInput in = Input(DisplayState::Ready);
    in.total = 12;
    in.inside = {"Inside 225 / 250", DisplayColour::kWarning};
    in.lastResults = {"a result"};
    const DisplayOutput out = LayoutDisplay(in, kMeasure);
    const auto inside = std::find_if(out.items.begin(), out.items.end(),
                                     [](const TextItem& item) { return item.text == "Inside 225 / 250"; });
    ASSERT_NE(inside, out.items.end());
    const auto total =
        std::find_if(out.items.begin(), out.items.end(), [](const TextItem& item) { return item.text == "Total  12"; });
    ASSERT_NE(total, out.items.end());
    EXPECT_EQ(inside->colour, DisplayColour::kWarning);
    EXPECT_EQ(inside->cellHeight, 17);
    const QRect insideBox = BoxOf(*inside, kMeasure);
    EXPECT_GE(insideBox.top(), BoxOf(*total, kMeasure).bottom());
    EXPECT_LE(insideBox.bottom(), out.lowerLines.top() + 3);
    for (const TextItem& item : out.items) {
        if (item.text == "a result") {
            EXPECT_FALSE(insideBox.intersects(BoxOf(item, kMeasure)));
        }
    }
    EXPECT_LE(insideBox.right(), kW - 8);

    in.inside = {};
    const DisplayOutput without = LayoutDisplay(in, kMeasure);
    EXPECT_EQ(without.items.size(), out.items.size() - 1);
}

struct ScaleCase {
    const char* name;
    int width;
    int height;
    int minAgeCell;
};

void PrintTo(const ScaleCase& row, std::ostream* os) {
    *os << row.name;
}

class LayoutScale : public ::testing::TestWithParam<ScaleCase> {};

// Larger, the whole picture grows by one factor: the age's cell, the positions relative to the centre
// and the edges, the lower lines.
TEST_P(LayoutScale, PicturesGrowWithTheClientArea) {
    const ScaleCase& c = GetParam();
    const DisplayOutput small = LayoutDisplay(CardInput(CardOf(26, false)), kMeasure);
    const DisplayOutput large = LayoutDisplay(CardInput(CardOf(26, false), c.width, c.height), kMeasure);
    const double factor = std::min(double(c.width) / kW, double(c.height) / kH);
    EXPECT_DOUBLE_EQ(large.scale, factor);
    const TextItem* age = Find(large, DisplayFont::Age);
    ASSERT_NE(age, nullptr);
    EXPECT_GE(age->cellHeight, c.minAgeCell);
    EXPECT_EQ(age->x, c.width / 2);
    const TextItem* name = Find(large, DisplayFont::Name);
    EXPECT_NEAR(name->y, c.height / 2 - 120 * factor, 1.0);
    EXPECT_NEAR(name->cellHeight, 40 * factor, 1.0);
    EXPECT_NEAR(large.lowerLines.top(), c.height - (kH - small.lowerLines.top()) * factor, 2.0);
    EXPECT_NEAR(large.shapes[0].thickness, 4 * factor, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, LayoutScale,
                         ::testing::Values(ScaleCase{"FullHd", 1920, 1080, 400},
                                           ScaleCase{"FullHdBelowAMenuBar", 1920, 1058, 400},
                                           ScaleCase{"Maximised1280x1024", 1280, 994, 400},
                                           ScaleCase{"TwiceTheDesign", 2 * kW, 2 * kH, 360}),
                         RowName());

struct LowerCase {
    const char* name;
    bool notLogged;
    std::int32_t validAge;
    std::vector<std::string> warnings;
    std::vector<std::string> expectedNotices;
};

void PrintTo(const LowerCase& row, std::ostream* os) {
    *os << row.name;
}

class LayoutNotices : public ::testing::TestWithParam<LowerCase> {};

// Notices for the card shown take the first of the four lower lines in the warning colour; the last
// results fill the rest, newest first.
TEST_P(LayoutNotices, NoticesComeBeforeTheLastResults) {
    const LowerCase& c = GetParam();
    ShownCard card = CardOf(30, false);
    card.warnings = c.warnings;
    DisplayInput in = CardInput(card);
    in.notLogged = c.notLogged;
    in.validAge = c.validAge;
    in.lastResults = {"r0", "r1", "r2", "r3"};
    const DisplayOutput out = LayoutDisplay(in, kMeasure);
    std::vector<TextItem> lower(std::find(out.items.begin(), out.items.end(), TotalItem(0)) + 1, out.items.end());
    ASSERT_EQ(lower.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const bool notice = i < c.expectedNotices.size();
        const std::string text = notice ? c.expectedNotices[i] : "r" + std::to_string(i - c.expectedNotices.size());
        EXPECT_EQ(lower[i], ListItem(text, static_cast<int>(i), notice ? kWarning : kBlack));
    }
    // The same input outside a card result shows the history alone.
    in.state = DisplayState::Ready;
    const DisplayOutput ready = LayoutDisplay(in, kMeasure);
    EXPECT_EQ(ready.items.back(), ListItem("r3", 3));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutNotices,
    ::testing::Values(LowerCase{"Nothing", false, 21, {}, {}},
                      LowerCase{"NotLogged", true, 21, {}, {"Not logged yet: the log file cannot be written"}},
                      LowerCase{"ValidAgeZero", false, 0, {}, {"Valid age 0: every holder shows as of age"}},
                      LowerCase{"ValidAgeOneIsFine", false, 1, {}, {}},
                      LowerCase{"ForgeryHintsOnOneLine",
                                false,
                                21,
                                {"IIN not of CA", "expiry before issue"},
                                {"Check the ID: IIN not of CA; expiry before issue"}},
                      LowerCase{"AllThree",
                                true,
                                -1,
                                {"age over 120"},
                                {"Not logged yet: the log file cannot be written",
                                 "Valid age -1: every holder shows as of age", "Check the ID: age over 120"}}),
    RowName());

TEST(LayoutDisplay, DayOfComingOfAgeForAHolderUnderAge) {
    ShownCard card = CardOf(17, false);
    card.comesOfAgeOn = "Mar 10, 2029";
    const auto turnsText = [](const DisplayOutput& out) {
        std::string text;
        for (const TextItem& item : out.items)
            if (item.font == DisplayFont::Expiry && item.text.rfind("Exp. Date", 0) != 0) {
                text += (text.empty() ? "" : " ") + item.text;
                EXPECT_EQ(item.colour, kVerdictRed);
            }
        return text;
    };
    EXPECT_EQ(turnsText(LayoutDisplay(CardInput(card), kMeasure)), "Turns 21 on Mar 10, 2029");
    DisplayInput eighteen = CardInput(card);
    eighteen.validAge = 18;
    EXPECT_EQ(turnsText(LayoutDisplay(eighteen, kMeasure)), "Turns 18 on Mar 10, 2029");
    card.age = 21;
    EXPECT_EQ(turnsText(LayoutDisplay(CardInput(card), kMeasure)), "") << "of age: no such line";
    card.age = 17;
    card.comesOfAgeOn.clear();
    EXPECT_EQ(turnsText(LayoutDisplay(CardInput(card), kMeasure)), "") << "unknown day: no such line";
}

// A banned card is refused whatever its age or expiry: the word, the mark and the frame say so in red,
// and the reason and expiry stand under the word; the card's own colours of age and expiry stay.
TEST(LayoutDisplay, BannedOverridesEveryVerdict) {
    for (const auto& [age, expired] : {std::pair<int, bool>{30, false}, {17, false}, {40, true}}) {
        DisplayInput in = CardInput(CardOf(age, expired));
        in.venue.banned = true;
        in.venue.bannedDetail = "violence, until 2027-06-30";
        const DisplayOutput out = LayoutDisplay(in, kMeasure);
        std::string word;
        std::string detail;
        for (const TextItem& item : out.items) {
            if (item.font == DisplayFont::Headline)
                word += item.text;
            if (item.font == DisplayFont::Expiry && item.text.rfind("Exp. Date", 0) != 0) {
                detail += (detail.empty() ? "" : " ") + item.text;
                EXPECT_EQ(item.colour, kVerdictRed);
                EXPECT_TRUE(out.verdictArea.contains(BoxOf(item, kMeasure))) << item.text;
            }
        }
        EXPECT_EQ(word, "BANNED") << age;
        EXPECT_EQ(detail, "violence, until 2027-06-30") << age;
        ASSERT_EQ(out.shapes.size(), 2u);
        EXPECT_EQ(out.shapes[0].colour, kVerdictRed);
        EXPECT_EQ(out.shapes[1].kind, ShapeKind::Cross);
        EXPECT_EQ(out.shapes[1].colour, kVerdictRed);
        EXPECT_EQ(Find(out, DisplayFont::Age)->colour, age < 21 ? kVerdictRed : kVerdictGreen);
    }
}

// The lists' lines come first among the notices, amber; the VIP mark stands apart from the verdict.
TEST(LayoutDisplay, FlaggedRepeatAndVipMarks) {
    DisplayInput in = CardInput(CardOf(30, false));
    in.notLogged = true;
    in.venue.flaggedLine = "FLAGGED: theft";
    in.venue.repeatLine = "Scanned 3 min ago at side-door";
    in.venue.vip = true;
    in.venue.notice = "Lists not checked: no venue key file";
    in.lastResults = {"r0", "r1", "r2", "r3"};
    const DisplayOutput out = LayoutDisplay(in, kMeasure);
    std::vector<TextItem> lower(std::find(out.items.begin(), out.items.end(), TotalItem(0)) + 1, out.items.end());
    ASSERT_EQ(lower.size(), 4u);
    EXPECT_EQ(lower[0], ListItem("FLAGGED: theft", 0, kWarning));
    EXPECT_EQ(lower[1], ListItem("Scanned 3 min ago at side-door", 1, kWarning));
    EXPECT_EQ(lower[2], ListItem("Lists not checked: no venue key file", 2, kWarning));
    EXPECT_EQ(lower[3], ListItem("Not logged yet: the log file cannot be written", 3, kWarning));
    const auto vip =
        std::find_if(out.items.begin(), out.items.end(), [](const TextItem& i) { return i.text == "VIP"; });
    ASSERT_NE(vip, out.items.end());
    EXPECT_EQ(vip->colour, kVip);
    const QRect vipBox = BoxOf(*vip, kMeasure);
    EXPECT_FALSE(vipBox.intersects(BoxOf(*Find(out, DisplayFont::Age), kMeasure)));
    EXPECT_GE(vipBox.left(), 0);
    EXPECT_GE(vipBox.top(), 0);
    std::string word;
    for (const TextItem& item : out.items)
        if (item.font == DisplayFont::Headline && item.text != "VIP")
            word += item.text;
    EXPECT_EQ(word, "OK") << "flagged and VIP keep the card's verdict";
}

TEST(DisplayDate, MonthAbbreviationDayAndYear) {
    EXPECT_EQ(DisplayDate(2029, 3, 10), "Mar 10, 2029");
    EXPECT_EQ(DisplayDate(2031, 12, 1), "Dec 1, 2031");
    EXPECT_EQ(DisplayDate(2029, 13, 10), "");
    EXPECT_EQ(DisplayDate(2029, 0, 10), "");
    EXPECT_EQ(DisplayDate(2029, 3, 32), "");
}

// The station's own notice (its clock off the venue server's) holds in every state: the first lower line
// when nothing else is said, after the scan's notices under a result, the last results below it.
TEST(LayoutDisplay, TheStationsNoticeShowsInEveryStateAfterTheScansNotices) {
    const std::string clock = "Station clock is 5 min off the venue server";
    for (const DisplayState state : {DisplayState::Ready, DisplayState::Capturing, DisplayState::UnknownCard}) {
        DisplayInput in = Input(state);
        in.unknownCardText = "Unknown card";
        in.stationNotice = clock;
        in.lastResults = {"r0", "r1", "r2", "r3"};
        const DisplayOutput out = LayoutDisplay(in, kMeasure);
        std::vector<TextItem> lower(std::find(out.items.begin(), out.items.end(), TotalItem(0)) + 1, out.items.end());
        ASSERT_EQ(lower.size(), 4u) << static_cast<int>(state);
        EXPECT_EQ(lower[0], ListItem(clock, 0, kWarning));
        EXPECT_EQ(lower[1], ListItem("r0", 1));
    }
    DisplayInput card = CardInput(CardOf(30, false));
    card.venue.flaggedLine = "FLAGGED: theft";
    card.stationNotice = clock;
    card.lastResults = {"r0", "r1", "r2", "r3"};
    const DisplayOutput out = LayoutDisplay(card, kMeasure);
    std::vector<TextItem> lower(std::find(out.items.begin(), out.items.end(), TotalItem(0)) + 1, out.items.end());
    ASSERT_EQ(lower.size(), 4u);
    EXPECT_EQ(lower[0], ListItem("FLAGGED: theft", 0, kWarning));
    EXPECT_EQ(lower[1], ListItem(clock, 1, kWarning));
    EXPECT_EQ(lower[2], ListItem("r0", 2));
}

// ---- mobile licences

const TextItem* FindText(const DisplayOutput& out, const std::string& text) {
    const auto it = std::find_if(out.items.begin(), out.items.end(), [&](const TextItem& i) { return i.text == text; });
    return it == out.items.end() ? nullptr : &*it;
}

TEST(LayoutDisplay, APhoneConnectingSaysSo) {
    const DisplayOutput out = LayoutDisplay(Input(DisplayState::MobileConnecting), kMeasure);
    ASSERT_NE(FindText(out, "Phone: connecting..."), nullptr);
    EXPECT_TRUE(out.portraitArea.isNull());
}

struct MobileCase {
    const char* name;
    ShownMobile::Colour colour;
    std::string headline;
    std::string word;
    bool portrait;
    Rgb expected;
};

void PrintTo(const MobileCase& row, std::ostream* os) {
    *os << row.name;
}

class LayoutMobile : public ::testing::TestWithParam<MobileCase> {};

TEST_P(LayoutMobile, HeadlineInTheVerdictsColourWithThePortraitBesideIt) {
    const MobileCase& row = GetParam();
    DisplayInput in = Input(DisplayState::MobileShown);
    in.mobile =
        ShownMobile{row.colour,  row.headline, row.word, "Mobile licence, verified: US-UT", {"trust list out of date"},
                    row.portrait};
    const DisplayOutput out = LayoutDisplay(in, kMeasure);
    const TextItem* headline = FindText(out, row.headline);
    ASSERT_NE(headline, nullptr);
    EXPECT_EQ(headline->colour, row.expected);
    ASSERT_FALSE(out.shapes.empty());
    EXPECT_EQ(out.shapes.front().kind, ShapeKind::Frame);
    EXPECT_EQ(out.shapes.front().colour, row.expected);
    EXPECT_EQ(FindText(out, "OK") != nullptr, !row.word.empty());
    EXPECT_EQ(out.portraitArea.isValid(), row.portrait);
    if (row.portrait) {
        EXPECT_LT(out.portraitArea.right(), BoxOf(*headline, kMeasure).left()) << "beside, not under, the verdict";
        EXPECT_GT(out.portraitArea.height(), kH / 2) << "large";
    }
    const TextItem* note = FindText(out, "trust list out of date");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->colour, kWarning);
    for (const TextItem& item : out.items) {
        const QRect box = BoxOf(item, kMeasure);
        EXPECT_TRUE(QRect(0, 0, kW, kH).contains(box)) << item.text;
    }
}

// A phone's result says, like a card's, when its venue event or its log row was not kept.
TEST(LayoutMobileNotices, StoreAndLogTroubleShowUnderThePhonesVerdict) {
    DisplayInput in = Input(DisplayState::MobileShown);
    in.mobile = ShownMobile{ShownMobile::Colour::Green, "21+", "OK", "Mobile licence, verified: US-UT", {}, false};
    EXPECT_EQ(FindText(LayoutDisplay(in, kMeasure), "Not logged yet: the log file cannot be written"), nullptr);
    in.venue.notice = "Not in the venue's record: the venue store cannot be written";
    in.notLogged = true;
    const DisplayOutput out = LayoutDisplay(in, kMeasure);
    for (const char* text : {"Not in the venue's record: the venue store cannot be written",
                             "Not logged yet: the log file cannot be written"}) {
        const TextItem* item = FindText(out, text);
        ASSERT_NE(item, nullptr) << text;
        EXPECT_EQ(item->colour, kWarning);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Verdicts, LayoutMobile,
    ::testing::Values(
        MobileCase{"green_21_plus", ShownMobile::Colour::Green, "21+", "OK", true, kVerdictGreen},
        MobileCase{"red_under_21", ShownMobile::Colour::Red, "UNDER 21", "", true, kVerdictRed},
        MobileCase{"amber_issuer_not_trusted", ShownMobile::Colour::Amber, "Issuer not trusted", "", false, kWarning},
        MobileCase{"red_not_verified", ShownMobile::Colour::Red, "NOT VERIFIED", "", false, kVerdictRed}));

} // namespace
