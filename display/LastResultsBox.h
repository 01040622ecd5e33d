#pragma once
// The "Last Results" group box of the station window. It only draws its frame and caption; the last
// results are painted by the window into it. Placed so that its caption sits above the lines the
// display writes (whatever the style draws the caption like) and scaled with the display.

#include <QGroupBox>
#include <QRect>

class LastResultsBox final : public QGroupBox {
public:
    explicit LastResultsBox(QWidget* parent);

    // `lines`: where the display writes its lower lines; `left`, `bottom`: the box's left edge and its
    // bottom as the template places them (scaled); `font`: the window's font at the display's scale.
    void PlaceAround(const QRect& lines, int left, int bottom, const QFont& font);

    // Where the style draws the caption and the frame, in the parent's coordinates.
    QRect CaptionRect() const;
    QRect FrameRect() const;

private:
    QRect SubControl(int subControl, const QSize& size) const;
};
