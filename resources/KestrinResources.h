#pragma once
// The station's pictures as Qt resources: icon 128 (the station), icon 138 (the OK symbol) and bitmap 135
// (the product picture). A static library's resources stay unregistered until InitKestrinResources() has
// run, so every executable that shows them calls it once, after creating its QApplication.

#include <QIcon>
#include <QString>

namespace Resources {

inline const QString kStationIcon = QStringLiteral(":/icons/128.png");         // 32 x 32
inline const QString kStationIconSmall = QStringLiteral(":/icons/128-16.png"); // 16 x 16
inline const QString kStationIconLarge = QStringLiteral(":/icons/128-48.png"); // 48 x 48
inline const QString kOkIcon = QStringLiteral(":/icons/138.png");              // 32 x 32
inline const QString kProductBitmap = QStringLiteral(":/bitmaps/135.png");     // 63 x 64

} // namespace Resources

void InitKestrinResources();

// Icon 128 in all its sizes, for the window's big and small icon.
QIcon StationIcon();
