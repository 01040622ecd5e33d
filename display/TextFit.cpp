#include "TextFit.h"

#include <algorithm>

namespace {
// Text widths grow with the cell height almost in proportion but not strictly (hinting), so the search
// only relies on "wider or equal at a larger cell" between its probes.
template <typename Fits> int LargestFitting(int wanted, Fits fits) {
    if (wanted <= 1)
        return 1;
    if (fits(wanted))
        return wanted;
    int lo = 1;
    int hi = wanted - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}
} // namespace

int TextFit::Cell(DisplayFont font, int wanted, const std::string& text, int maxWidth) const {
    return LargestFitting(wanted, [&](int cell) { return m_measure.Measure(font, cell, text).width <= maxWidth; });
}

int TextFit::Cell(DisplayFont font, int wanted, const std::vector<std::string>& lines, int maxWidth,
                  int maxHeight) const {
    const auto fitsWidth = [&](int cell, const std::string& line) {
        return m_measure.Measure(font, cell, line).width <= maxWidth;
    };
    return LargestFitting(wanted, [&](int cell) {
        const long long height = static_cast<long long>(lines.size()) * LineHeight(font, cell);
        return height <= maxHeight &&
               std::all_of(lines.begin(), lines.end(), [&](const std::string& line) { return fitsWidth(cell, line); });
    });
}

int TextFit::LineHeight(DisplayFont font, int cell) const {
    const TextExtent extent = m_measure.Measure(font, cell, std::string());
    return extent.ascent + extent.descent;
}

TextItem TextFit::Centred(const std::string& text, DisplayFont font, int wanted, Rgb colour, int x, int y, int left,
                          int right) const {
    // Centred on x, the text may reach as far on either side as the nearer margin allows.
    const int halfRoom = std::min(x - left, right - x);
    const int cell = Cell(font, wanted, text, 2 * std::max(halfRoom, 0));
    return {text, font, cell, colour, TextAnchor::CentreBaseline, x, y};
}

TextItem TextFit::FromLeft(const std::string& text, DisplayFont font, int wanted, Rgb colour, int x, int y, int left,
                           int right) const {
    const int width = m_measure.Measure(font, wanted, text).width;
    if (x + width <= right)
        return {text, font, wanted, colour, TextAnchor::LeftBottom, x, y};
    if (width <= right - left)
        return {text, font, wanted, colour, TextAnchor::LeftBottom, right - width, y};
    const int cell = Cell(font, wanted, text, right - left);
    return {text, font, cell, colour, TextAnchor::LeftBottom, left, y};
}
