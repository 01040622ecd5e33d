#include "DisplayItems.h"

QRect BoxOf(const TextItem& item, const TextExtent& extent) {
    const int height = extent.ascent + extent.descent;
    if (item.anchor == TextAnchor::CentreBaseline)
        return QRect(item.x - extent.width / 2, item.y - extent.ascent, extent.width, height);
    return QRect(item.x, item.y - height, extent.width, height);
}

QRect BoxOf(const TextItem& item, const ITextMeasure& measure) {
    return BoxOf(item, measure.Measure(item.font, item.cellHeight, item.text));
}
