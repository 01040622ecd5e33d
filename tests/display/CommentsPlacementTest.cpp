#include "CommentsPlacement.h"

#include "RowName.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

enum class Side { Below, Above, Right, Left, Over };

struct PlacementCase {
    const char* name;
    QRect verdict;
    QRect station;
    QRect screen;
    Side expected;
};

void PrintTo(const PlacementCase& row, std::ostream* os) {
    *os << row.name;
}

const QSize kDialog(424, 190); // the Comments dialog with its frame

Side SideOf(const QRect& dialog, const QRect& verdict) {
    if (dialog.intersects(verdict))
        return Side::Over;
    if (dialog.top() > verdict.bottom())
        return Side::Below;
    if (dialog.bottom() < verdict.top())
        return Side::Above;
    return dialog.left() > verdict.right() ? Side::Right : Side::Left;
}

class CommentsPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(CommentsPlacement, OnTheScreenAndClearOfTheVerdict) {
    const PlacementCase& c = GetParam();
    const QRect dialog(CommentsDialogPosition(c.verdict, c.station, c.screen, kDialog), kDialog);
    EXPECT_TRUE(c.screen.contains(dialog)) << dialog.x() << "," << dialog.y();
    EXPECT_EQ(SideOf(dialog, c.verdict), c.expected) << dialog.x() << "," << dialog.y();
    if (c.expected == Side::Below || c.expected == Side::Above) {
        EXPECT_LE(std::abs(dialog.center().x() - c.station.center().x()), 1) << "centred on the station";
    }
}

// The station window of the template size (444 x 338 and its frame) shows its verdict between y + 40 and
// y + 225 of its frame.
QRect StationAt(int x, int y) {
    return QRect(x, y, 446, 362);
}
QRect VerdictOf(const QRect& station) {
    return QRect(station.left() + 9, station.top() + 45, 428, 185);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommentsPlacement,
                         ::testing::Values(PlacementCase{"MidScreenBelow", VerdictOf(StationAt(290, 150)),
                                                         StationAt(290, 150), QRect(0, 0, 1024, 768), Side::Below},
                                           PlacementCase{"AtTheScreensFootAbove", VerdictOf(StationAt(290, 400)),
                                                         StationAt(290, 400), QRect(0, 0, 1024, 768), Side::Above},
                                           PlacementCase{"TallVerdictOnASmallScreenBeside", QRect(300, 100, 420, 560),
                                                         QRect(290, 60, 440, 700), QRect(0, 0, 1280, 768), Side::Right},
                                           PlacementCase{"AgainstTheRightEdgeLeft", QRect(850, 100, 420, 560),
                                                         QRect(840, 60, 440, 700), QRect(0, 0, 1280, 768), Side::Left},
                                           PlacementCase{"FullScreenBelowTheExpiryLine", QRect(30, 90, 1860, 660),
                                                         QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080), Side::Below},
                                           PlacementCase{"NoRoomCoversTheLeast", QRect(0, 100, 800, 500),
                                                         QRect(0, 0, 800, 600), QRect(0, 0, 800, 600), Side::Over}),
                         RowName());

TEST(CommentsPlacementFallback, CoversAsLittleAsPossible) {
    const QRect screen(0, 0, 800, 600);
    const QRect verdict(0, 100, 800, 400);
    const QRect dialog(CommentsDialogPosition(verdict, screen, screen, kDialog), kDialog);
    EXPECT_TRUE(screen.contains(dialog));
    // 100 px free above and below: the least covered place takes one of them and covers 90 px of height.
    EXPECT_EQ(dialog.intersected(verdict).height(), kDialog.height() - 100);
}

} // namespace
