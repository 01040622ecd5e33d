#pragma once
// The vocabulary of the result display: fonts, colours, text items and shapes, and the text measure the
// layout and the text fit both work with. The layout (DisplayLayout) makes items of these kinds, the
// painter (DisplayPainter) draws them and tests read them.

#include <QRect>

#include <string>

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
// The VIP mark: a gold apart from the warning's amber.
constexpr Rgb kVip{160, 120, 0};
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

// The rectangle a text item's cell covers.
QRect BoxOf(const TextItem& item, const ITextMeasure& measure);
QRect BoxOf(const TextItem& item, const TextExtent& extent);
