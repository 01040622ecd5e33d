#pragma once
// The display's fonts at any cell height: the five faces of the station's picture ("Arial Black" for the
// headline and the age, "Arial Narrow" for the name, "Tahoma" for the small texts and the expiry line),
// made on first use and kept, and the measure the layout fits its texts with.

#include "DisplayLayout.h"

#include <QFont>

#include <map>
#include <utility>

class DisplayFontSet final : public ITextMeasure {
public:
    const QFont& Font(DisplayFont font, int cellHeight) const;
    TextExtent Measure(DisplayFont font, int cellHeight, const std::string& text) const override;

private:
    // Fitting probes a handful of sizes per text and paint; a resize brings new ones. Enough for a few
    // sizes of every text, small enough never to matter.
    static constexpr std::size_t kMaxKept = 512;
    mutable std::map<std::pair<int, int>, QFont> m_fonts;
};
