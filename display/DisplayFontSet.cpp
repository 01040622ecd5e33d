#include "DisplayFontSet.h"

#include "DisplayPainter.h"
#include "Fonts.h"

#include <QFontMetrics>

#include <algorithm>

namespace {
QString FaceOf(DisplayFont font) {
    switch (font) {
    case DisplayFont::Headline:
    case DisplayFont::Age:
        return QStringLiteral("Arial Black");
    case DisplayFont::Name:
        return QStringLiteral("Arial Narrow");
    case DisplayFont::Small:
    case DisplayFont::Expiry:
        return QStringLiteral("Tahoma");
    }
    return QStringLiteral("Tahoma");
}
} // namespace

const QFont& DisplayFontSet::Font(DisplayFont font, int cellHeight) const {
    const std::pair<int, int> key(static_cast<int>(font), std::max(cellHeight, 1));
    const auto it = m_fonts.find(key);
    if (it != m_fonts.end())
        return it->second;
    if (m_fonts.size() >= kMaxKept)
        m_fonts.clear();
    return m_fonts.emplace(key, Fonts::CellHeightFont(FaceOf(font), key.second)).first->second;
}

TextExtent DisplayFontSet::Measure(DisplayFont font, int cellHeight, const std::string& text) const {
    const QFontMetrics metrics(Font(font, cellHeight));
    return {metrics.horizontalAdvance(DisplayText(text)), metrics.ascent(), metrics.descent(), metrics.capHeight()};
}
