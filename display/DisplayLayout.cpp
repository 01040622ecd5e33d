#include "DisplayLayout.h"

#include "StringTable.h"
#include "TextFit.h"
#include "Verdict.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace DisplayColour;

// The classic picture, in pixels of the design size.
constexpr int kHeadlineCell = 75;
constexpr int kAgeCell = 180;
constexpr int kNameCell = 40;
constexpr int kSmallCell = 17;
constexpr int kExpiryCell = 35;
constexpr int kHeadlineOffset = -35;
constexpr int kNameOffset = -120;
constexpr int kExpiryOffset = 35;
constexpr int kTotalFromRight = 80;
constexpr int kTotalFromBottom = 105;
constexpr int kListX = 20;
constexpr int kListFirstFromBottom = 75;
constexpr int kListLineStep = 20;
constexpr int kLowerLines = 4;

// What this display adds to it, in the same pixels.
constexpr int kMargin = 8;          // texts keep this far from the client area's edges
constexpr int kFrame = 4;           // width of the verdict's frame along the edges
constexpr int kGap = 6;             // between the age and the verdict's mark and word
constexpr int kMarkMax = 64;        // side of the mark
constexpr int kComesOfAgeCell = 20; // "Turns 21 on ..."
constexpr int kMinColumn = 12;      // narrower columns beside the age stay empty
constexpr int kVipCell = 40;        // the VIP mark, in the upper left corner
constexpr int kVipBottom = 48;

class Scaler {
public:
    explicit Scaler(double factor) : m_factor(factor) {}
    int operator()(int pixels) const { return static_cast<int>(std::lround(pixels * m_factor)); }
    double Factor() const { return m_factor; }

private:
    double m_factor;
};

double ScaleOf(const DisplayInput& in) {
    if (in.designWidth <= 0 || in.designHeight <= 0 || in.width <= 0 || in.height <= 0)
        return 1.0;
    return std::min(static_cast<double>(in.width) / in.designWidth, static_cast<double>(in.height) / in.designHeight);
}

struct Context {
    const DisplayInput& in;
    TextFit fit;
    Scaler s;
    int cx;
    int cy;
    int left; // the margins texts keep
    int right;
};

// A text of one or more lines stacked in a column.
struct Block {
    std::vector<std::string> lines;
    DisplayFont font = DisplayFont::Headline;
    int cell = 0;
    int lineHeight = 0;
    Rgb colour;
    int Height() const { return static_cast<int>(lines.size()) * lineHeight; }
};

// The text whole, and split in two at the space at `splitAt` (none: npos); the larger fit wins.
std::vector<std::vector<std::string>> LineOptions(const std::string& text, std::size_t splitAt) {
    std::vector<std::vector<std::string>> options{{text}};
    if (splitAt != std::string::npos && splitAt + 1 < text.size())
        options.push_back({text.substr(0, splitAt), text.substr(splitAt + 1)});
    return options;
}

Block FitBlock(const Context& c, const std::vector<std::vector<std::string>>& options, DisplayFont font, int wanted,
               Rgb colour, int width, int maxHeight) {
    Block best;
    for (const auto& lines : options) {
        const int cell = c.fit.Cell(font, wanted, lines, width, maxHeight);
        if (cell > best.cell)
            best = {lines, font, cell, c.fit.LineHeight(font, cell), colour};
    }
    return best;
}

std::string VerdictWord(Verdict verdict, std::int32_t validAge) {
    switch (verdict) {
    case Verdict::Ok:
        return "OK";
    case Verdict::UnderAge:
        return "UNDER " + std::to_string(validAge);
    case Verdict::Expired:
        return "EXPIRED";
    case Verdict::Banned:
        return "BANNED";
    }
    return {};
}

ShapeKind MarkOf(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok:
        return ShapeKind::Check;
    case Verdict::UnderAge:
        return ShapeKind::Cross;
    case Verdict::Expired:
        return ShapeKind::Warning;
    case Verdict::Banned:
        return ShapeKind::Cross;
    }
    return ShapeKind::Cross;
}

void EmitBlock(const Context& c, const Block& block, int centreX, int& top, DisplayOutput& out) {
    for (const std::string& line : block.lines) {
        const TextExtent extent = c.fit.Measure(block.font, block.cell, line);
        TextItem item{line,    block.font,         block.cell, block.colour, TextAnchor::CentreBaseline,
                      centreX, top + extent.ascent};
        out.verdictArea |= BoxOf(item, extent);
        out.items.push_back(std::move(item));
        top += block.lineHeight;
    }
}

// The verdict's word and, for a holder under age, the day of coming of age: stacked in the column right
// of the age, as large as the column lets them be.
void LayoutWordColumn(const Context& c, const ShownCard& card, Verdict verdict, Rgb colour, const QRect& column,
                      DisplayOutput& out) {
    if (column.width() < c.s(kMinColumn))
        return;
    Block comesOfAge;
    if (verdict == Verdict::Banned && !c.in.venue.bannedDetail.empty()) {
        const std::string& text = c.in.venue.bannedDetail;
        const std::size_t comma = text.find(", ");
        const std::size_t split = comma == std::string::npos ? comma : comma + 1; // the space after the comma
        comesOfAge = FitBlock(c, LineOptions(text, split), DisplayFont::Expiry, c.s(kComesOfAgeCell), colour,
                              column.width(), column.height() * 2 / 5);
    } else if (verdict == Verdict::UnderAge && !card.comesOfAgeOn.empty()) {
        const std::string text = "Turns " + std::to_string(c.in.validAge) + " on " + card.comesOfAgeOn;
        const std::size_t split = text.find(" on ") + 3;
        comesOfAge = FitBlock(c, LineOptions(text, split), DisplayFont::Expiry, c.s(kComesOfAgeCell), colour,
                              column.width(), column.height() * 2 / 5);
    }
    const int gap = comesOfAge.lines.empty() ? 0 : c.s(kGap);
    const std::string word = VerdictWord(verdict, c.in.validAge);
    const Block wordBlock = FitBlock(c, LineOptions(word, word.find(' ')), DisplayFont::Headline, c.s(kHeadlineCell),
                                     colour, column.width(), column.height() - comesOfAge.Height() - gap);
    int top = column.top() + (column.height() - wordBlock.Height() - gap - comesOfAge.Height()) / 2;
    const int centreX = column.left() + column.width() / 2;
    EmitBlock(c, wordBlock, centreX, top, out);
    top += gap;
    EmitBlock(c, comesOfAge, centreX, top, out);
}

void LayoutMark(const Context& c, Verdict verdict, Rgb colour, const QRect& column, DisplayOutput& out) {
    if (column.width() < c.s(kMinColumn))
        return;
    const int side = std::min({column.width(), column.height(), c.s(kMarkMax)});
    const QRect box(column.left() + (column.width() - side) / 2, column.top() + (column.height() - side) / 2, side,
                    side);
    out.shapes.push_back({MarkOf(verdict), colour, box, 0});
    out.verdictArea |= box;
}

void LayoutCard(const Context& c, const ShownCard& card, DisplayOutput& out) {
    // A banned card is refused whatever its age or expiry.
    const Verdict verdict = c.in.venue.banned ? Verdict::Banned : JudgeCard(card.age, card.expired, c.in.validAge);
    const Rgb verdictColour = verdict == Verdict::Ok ? kVerdictGreen : kVerdictRed;
    out.shapes.push_back({ShapeKind::Frame, verdictColour, QRect(0, 0, c.in.width, c.in.height), c.s(kFrame)});

    QRect nameBox;
    if (!card.displayName.empty()) {
        TextItem name = c.fit.Centred(card.displayName, DisplayFont::Name, c.s(kNameCell), kBlack, c.cx,
                                      c.cy + c.s(kNameOffset), c.left, c.right);
        nameBox = c.fit.Box(name);
        out.items.push_back(std::move(name));
    }
    TextItem expiry = c.fit.Centred(Resources::String(Resources::IDS_EXP_DATE) + card.expirationText,
                                    DisplayFont::Expiry, c.s(kExpiryCell), card.expired ? kVerdictRed : kVerdictGreen,
                                    c.cx, c.cy + c.s(kExpiryOffset), c.left, c.right);
    out.verdictArea |= c.fit.Box(expiry);
    out.items.push_back(std::move(expiry));

    const Rgb ageColour = card.age < c.in.validAge ? kVerdictRed : kVerdictGreen;
    const TextItem age =
        c.fit.Centred(card.ageText, DisplayFont::Age, c.s(kAgeCell), ageColour, c.cx, c.cy, c.left, c.right);
    const TextExtent ageExtent = c.fit.Measure(age.font, age.cellHeight, age.text);
    const QRect ageBox = BoxOf(age, ageExtent);
    out.verdictArea |= ageBox;

    // Beside the age's figures, and below the name where a long name reaches that far: mark left, word
    // right.
    const int gap = c.s(kGap);
    const auto column = [&](int left, int right) {
        int top = c.cy - ageExtent.capHeight;
        if (nameBox.isValid() && nameBox.left() < right && nameBox.right() >= left)
            top = std::min(std::max(top, nameBox.bottom() + 1), c.cy);
        return QRect(left, top, right - left, c.cy - top);
    };
    LayoutWordColumn(c, card, verdict, verdictColour, column(ageBox.left() + ageBox.width() + gap, c.right), out);
    LayoutMark(c, verdict, verdictColour, column(c.left, ageBox.left() - gap), out);
    out.items.push_back(age);
    if (c.in.venue.vip)
        out.items.push_back(c.fit.FromLeft("VIP", DisplayFont::Headline, c.s(kVipCell), kVip, c.left, c.s(kVipBottom),
                                           c.left, c.right));
}

Rgb ColourOf(ShownMobile::Colour colour) {
    switch (colour) {
    case ShownMobile::Colour::Green:
        return kVerdictGreen;
    case ShownMobile::Colour::Amber:
        return kWarning;
    case ShownMobile::Colour::Red:
        break;
    }
    return kVerdictRed;
}

// A mobile licence's result: the portrait large on the left (the door still compares the face), and
// centred in the room beside it the headline in the age's font, the word with its mark, and the line.
void LayoutMobile(const Context& c, const ShownMobile& mobile, DisplayOutput& out) {
    const Rgb colour = ColourOf(mobile.colour);
    out.shapes.push_back({ShapeKind::Frame, colour, QRect(0, 0, c.in.width, c.in.height), c.s(kFrame)});
    int left = c.left;
    if (mobile.hasPortrait) {
        const int top = c.s(kMargin) + c.s(kFrame);
        const int bottom = c.cy + c.s(kExpiryOffset);
        out.portraitArea = QRect(c.left + c.s(kFrame), top, c.in.width * 3 / 10, bottom - top);
        left = out.portraitArea.right() + c.s(kGap) * 2;
    }
    // The word takes a column right of the headline, on its baseline; the headline fits in what is left.
    const int wordWidth =
        mobile.word.empty() ? 0 : c.fit.Measure(DisplayFont::Headline, c.s(kHeadlineCell), mobile.word).width;
    const int headlineRight = mobile.word.empty() ? c.right : c.right - wordWidth - c.s(kGap);
    const bool longHeadline = mobile.headline.size() > 8;
    const TextItem headline = c.fit.Centred(mobile.headline, longHeadline ? DisplayFont::Headline : DisplayFont::Age,
                                            c.s(longHeadline ? kHeadlineCell : kAgeCell), colour,
                                            (left + headlineRight) / 2, c.cy, left, headlineRight);
    const QRect headlineBox = c.fit.Box(headline);
    out.verdictArea |= headlineBox;
    if (!mobile.word.empty()) {
        const int wordLeft = headlineBox.right() + 1 + c.s(kGap);
        const TextItem word = c.fit.Centred(mobile.word, DisplayFont::Headline, c.s(kHeadlineCell), colour,
                                            (wordLeft + c.right) / 2, c.cy, wordLeft, c.right);
        out.verdictArea |= c.fit.Box(word);
        out.items.push_back(word);
        const int side = std::min(c.s(kMarkMax), headlineBox.left() - left - c.s(kGap));
        if (side >= c.s(kMinColumn))
            out.shapes.push_back(
                {ShapeKind::Check, colour, QRect(headlineBox.left() - c.s(kGap) - side, c.cy - side, side, side), 0});
    }
    out.items.push_back(headline);
    if (!mobile.line.empty()) {
        TextItem line = c.fit.Centred(mobile.line, DisplayFont::Expiry, c.s(kExpiryCell), colour, (left + c.right) / 2,
                                      c.cy + c.s(kExpiryOffset), left, c.right);
        out.verdictArea |= c.fit.Box(line);
        out.items.push_back(std::move(line));
    }
    if (out.portraitArea.isValid())
        out.verdictArea |= out.portraitArea;
}

std::vector<std::string> ScanNotices(const DisplayInput& in) {
    std::vector<std::string> notices;
    if (in.state == DisplayState::MobileShown && in.mobile) {
        // A phone meets no list; what the door must still hear is that a record was not kept.
        notices = in.mobile->notes;
        if (!in.venue.notice.empty())
            notices.push_back(in.venue.notice);
        if (in.notLogged)
            notices.push_back("Not logged yet: the log file cannot be written");
        return notices;
    }
    if (in.state != DisplayState::CardShown || !in.card)
        return notices;
    // The lists' word first: the operator acts on it before anything else.
    if (!in.venue.flaggedLine.empty())
        notices.push_back(in.venue.flaggedLine);
    if (!in.venue.repeatLine.empty())
        notices.push_back(in.venue.repeatLine);
    if (!in.venue.notice.empty())
        notices.push_back(in.venue.notice);
    if (in.notLogged)
        notices.push_back("Not logged yet: the log file cannot be written");
    if (in.validAge < 1)
        notices.push_back("Valid age " + std::to_string(in.validAge) + ": every holder shows as of age");
    if (!in.card->warnings.empty()) {
        std::string line = "Check the ID: ";
        for (std::size_t i = 0; i < in.card->warnings.size(); ++i)
            line += (i ? "; " : "") + in.card->warnings[i];
        notices.push_back(line);
    }
    return notices;
}

// The scan's notices first (the operator acts on those now), then the station's, which hold in every state.
std::vector<std::string> Notices(const DisplayInput& in) {
    std::vector<std::string> notices = ScanNotices(in);
    if (!in.stationNotice.empty())
        notices.push_back(in.stationNotice);
    return notices;
}

void LayoutLowerArea(const Context& c, DisplayOutput& out) {
    const DisplayInput& in = c.in;
    const int cell = c.s(kSmallCell);
    out.items.push_back(c.fit.FromLeft("Total  " + std::to_string(in.total), DisplayFont::Small, cell, kBlack,
                                       in.width - c.s(kTotalFromRight), in.height - c.s(kTotalFromBottom), c.left,
                                       c.right));
    if (!in.inside.text.empty())
        out.items.push_back(c.fit.FromLeft(in.inside.text, DisplayFont::Small, cell, in.inside.colour,
                                           in.width - c.s(kTotalFromRight),
                                           in.height - c.s(kTotalFromBottom - kSmallCell), c.left, c.right));
    // Notices take the first lines, the last results what is left: during a result the warnings matter
    // more than the oldest entries of the history.
    std::vector<std::pair<std::string, Rgb>> lines;
    for (const std::string& notice : Notices(in))
        lines.emplace_back(notice, kWarning);
    for (const std::string& result : in.lastResults)
        lines.emplace_back(result, kBlack);
    const auto bottomOf = [&](int i) { return in.height - c.s(kListFirstFromBottom - kListLineStep * i); };
    for (int i = 0; i < kLowerLines && i < static_cast<int>(lines.size()); ++i) {
        const auto& [text, colour] = lines[static_cast<std::size_t>(i)];
        out.items.push_back(
            c.fit.FromLeft(text, DisplayFont::Small, cell, colour, c.s(kListX), bottomOf(i), c.left, c.right));
    }
    const int firstTop = bottomOf(0) - c.fit.LineHeight(DisplayFont::Small, cell);
    const int listLeft = std::min(c.s(kListX), c.left);
    out.lowerLines = QRect(listLeft, firstTop, c.right - listLeft, bottomOf(kLowerLines - 1) - firstTop);
}

} // namespace

DisplayOutput LayoutDisplay(const DisplayInput& in, const ITextMeasure& measure) {
    const Scaler s(ScaleOf(in));
    const int margin = s(kMargin);
    const Context c{in, TextFit(measure), s, in.width / 2, in.height / 2, margin, in.width - margin};
    DisplayOutput out;
    out.scale = s.Factor();
    switch (in.state) {
    case DisplayState::Ready:
        out.items.push_back(c.fit.Centred(Resources::String(Resources::IDS_READY), DisplayFont::Headline,
                                          s(kHeadlineCell), kBlack, c.cx, c.cy + s(kHeadlineOffset), c.left, c.right));
        break;
    case DisplayState::UnknownCard:
        if (!in.unknownCardText.empty())
            out.items.push_back(c.fit.Centred(in.unknownCardText, DisplayFont::Headline, s(kHeadlineCell), kPureRed,
                                              c.cx, c.cy + s(kHeadlineOffset), c.left, c.right));
        break;
    case DisplayState::CardShown:
        if (in.card)
            LayoutCard(c, *in.card, out);
        break;
    case DisplayState::MobileConnecting:
        out.items.push_back(c.fit.Centred("Phone: connecting...", DisplayFont::Headline, s(kHeadlineCell), kBlack, c.cx,
                                          c.cy + s(kHeadlineOffset), c.left, c.right));
        break;
    case DisplayState::MobileShown:
        if (in.mobile)
            LayoutMobile(c, *in.mobile, out);
        break;
    case DisplayState::Capturing:
    default:
        break;
    }
    LayoutLowerArea(c, out);
    return out;
}
