#pragma once
// Fitting texts of the result display into a width: the largest cell height, up to the one wanted, at
// which the text is no wider than the room it has.

#include "DisplayItems.h"

#include <string>
#include <vector>

class TextFit {
public:
    explicit TextFit(const ITextMeasure& measure) : m_measure(measure) {}

    // The largest cell height in [1, wanted] at which `text` is at most `maxWidth` wide (1 when none is).
    int Cell(DisplayFont font, int wanted, const std::string& text, int maxWidth) const;
    // The same for several lines that share one cell height and, stacked, are at most `maxHeight` high.
    int Cell(DisplayFont font, int wanted, const std::vector<std::string>& lines, int maxWidth, int maxHeight) const;

    // A text centred on x with its baseline at y, shrunk to fit [left, right].
    TextItem Centred(const std::string& text, DisplayFont font, int wanted, Rgb colour, int x, int y, int left,
                     int right) const;
    // A text starting at x with its cell's bottom at y. When it would pass `right` it moves left (not
    // past `left`), and only when even [left, right] is too narrow does its font shrink.
    TextItem FromLeft(const std::string& text, DisplayFont font, int wanted, Rgb colour, int x, int y, int left,
                      int right) const;

    TextExtent Measure(DisplayFont font, int cell, const std::string& text) const {
        return m_measure.Measure(font, cell, text);
    }
    int LineHeight(DisplayFont font, int cell) const;
    QRect Box(const TextItem& item) const { return BoxOf(item, m_measure); }

private:
    const ITextMeasure& m_measure;
};
