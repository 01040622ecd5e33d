#pragma once
// Fonts as the station's templates name them: a face and a cell height in pixels (ascent + descent), or a
// face and a point size for dialogs. The Windows faces are not on a Linux desktop; InstallFontSubstitutions
// maps each to the closest free face once, at start, before any window is built.

#include <QFont>
#include <QString>

namespace Fonts {

// Registers the substitute faces ("Arial Black", "Arial Narrow", "Tahoma", "Verdana",
// "Microsoft Sans Serif"). Idempotent; needs a QGuiApplication.
void InstallFontSubstitutions();

// `face` with a pixel size chosen so that ascent + descent equals `cellHeight` (or the largest size that
// stays below it when no size hits it exactly), as a positive height of CreateFontIndirect does.
QFont CellHeightFont(const QString& face, int cellHeight);

// `face` at `points` on a 96 dpi dialog: pixel size = round(points * 96 / 72).
QFont DialogFont(const QString& face, int points);

// The dialog font of the station's dialog templates: "Microsoft Sans Serif", 10 point.
QFont StandardDialogFont();

// A font of family `face` with the weight the Windows face carries ("Arial Black" is black).
QFont Face(const QString& face);

} // namespace Fonts
