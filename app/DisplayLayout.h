#pragma once
// The result display as data: the layout turns the display state into shapes and text items, which
// MainDlg draws with QPainter and tests read directly.
//
//   DisplayInput (state, card texts, valid age, total, last results, client and design size)
//     --(ITextMeasure: widths of the station's fonts)--> DisplayOutput (shapes, text items, areas)
//
// At the design size (the window's size from its template) every item of the classic picture sits where
// it always did; larger, every position and font scales with the client area by one factor. Each text
// shrinks its font until it fits inside the client area's margins.

#include "DisplayState.h"
#include "ShownCard.h"

#include <QRect>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

enum class DisplayFont { Headline, Age, Name, Small, Expiry }; // Arial Black 75/180, Arial Narrow 40, Tahoma 17/35

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

namespace DisplayColour {
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPureRed{255, 0, 0};
constexpr Rgb kVerdictRed{200, 0, 0};
constexpr Rgb kVerdictGreen{0, 200, 0};
// Notices that need the operator's attention without being a verdict: a dark amber that reads on the
// window's grey and differs from both verdict colours in brightness as well as hue.
constexpr Rgb kWarning{190, 95, 0};
} // namespace DisplayColour

enum class TextAnchor { CentreBaseline, LeftBottom };

struct TextItem {
    std::string text;
    DisplayFont font;
    int cellHeight; // the font's cell height in pixels (ascent + descent)
    Rgb colour;
    TextAnchor anchor;
    int x;
    int y;
};

// Marks of the verdict, each of its own shape, and the frame of the verdict's colour.
enum class ShapeKind { Frame, Check, Cross, Warning };

struct ShapeItem {
    ShapeKind kind;
    Rgb colour;
    QRect box;
    int thickness; // line width of the frame (the marks derive theirs from the box)
};

struct TextExtent {
    int width = 0;
    int ascent = 0;
    int descent = 0;
    int capHeight = 0;
};

// Widths and heights of texts in the display's fonts, at a given cell height.
class ITextMeasure {
public:
    virtual ~ITextMeasure() = default;
    virtual TextExtent Measure(DisplayFont font, int cellHeight, const std::string& text) const = 0;
};

struct DisplayInput {
    DisplayState state = DisplayState::Ready;
    std::optional<ShownCard> card; // the current card; required in CardShown
    std::string unknownCardText;
    std::int32_t validAge = 21;
    std::int32_t total = 0;
    std::deque<std::string> lastResults; // newest first
    bool notLogged = false;              // the card shown is not in the scan log file (yet)
    int width = 0;
    int height = 0;
    // The client size the classic positions are given for; 0 leaves every position and font unscaled.
    int designWidth = 0;
    int designHeight = 0;
};

struct DisplayOutput {
    std::vector<ShapeItem> shapes; // drawn first, in order
    std::vector<TextItem> items;   // then these, in order
    // What a dialog opened over a card result must leave visible: the age, the verdict's word and mark
    // and the expiry line (empty outside CardShown).
    QRect verdictArea;
    // The four lines of the lower area (notices, then the last results), whether drawn or not.
    QRect lowerLines;
    double scale = 1.0;
};

// The picture for the current display state. A CardShown input without a card draws like Capturing.
DisplayOutput LayoutDisplay(const DisplayInput& in, const ITextMeasure& measure);

// The rectangle a text item's cell covers.
QRect BoxOf(const TextItem& item, const ITextMeasure& measure);
QRect BoxOf(const TextItem& item, const TextExtent& extent);
