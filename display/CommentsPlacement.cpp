#include "CommentsPlacement.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

constexpr int kGap = 4;

int Clamped(int value, int low, int high) {
    return high < low ? low : std::clamp(value, low, high);
}

// `r` moved as little as possible to lie on the screen.
QRect OnScreen(QRect r, const QRect& screen) {
    r.moveLeft(Clamped(r.left(), screen.left(), screen.right() + 1 - r.width()));
    r.moveTop(Clamped(r.top(), screen.top(), screen.bottom() + 1 - r.height()));
    return r;
}

long long Covered(const QRect& r, const QRect& verdict) {
    const QRect both = r.intersected(verdict);
    return both.isEmpty() ? 0 : static_cast<long long>(both.width()) * both.height();
}

} // namespace

QPoint CommentsDialogPosition(const QRect& verdict, const QRect& station, const QRect& screen, const QSize& dialog) {
    const int centredX = station.left() + (station.width() - dialog.width()) / 2;
    const std::vector<QRect> candidates{
        QRect(QPoint(centredX, verdict.bottom() + 1 + kGap), dialog),
        QRect(QPoint(centredX, verdict.top() - kGap - dialog.height()), dialog),
        QRect(QPoint(station.right() + 1 + kGap, verdict.top()), dialog),
        QRect(QPoint(station.left() - kGap - dialog.width(), verdict.top()), dialog),
    };
    QRect best;
    long long bestCovered = std::numeric_limits<long long>::max();
    for (const QRect& candidate : candidates) {
        const QRect placed = OnScreen(candidate, screen);
        const long long covered = Covered(placed, verdict);
        if (covered == 0)
            return placed.topLeft();
        if (covered < bestCovered) {
            best = placed;
            bestCovered = covered;
        }
    }
    return best.topLeft();
}
