#include "Fonts.h"

#include "DialogUnits.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace Fonts {
namespace {

const QString kArialBlack = QStringLiteral("Arial Black");

// Wine's metric-compatible Tahoma ships outside fontconfig's folders.
void AddWineTahoma() {
    for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        const QString path = QString::fromLatin1(file);
        if (QFile::exists(path))
            QFontDatabase::addApplicationFont(path);
    }
}

int CellHeightAt(QFont font, int pixelSize) {
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    return metrics.ascent() + metrics.descent();
}

} // namespace

void InstallFontSubstitutions() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    AddWineTahoma();
    // Arial Black has no free twin: a heavy sans keeps the verdict as bold as it was designed.
    QFont::insertSubstitutions(kArialBlack, {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial Narrow"),
                               {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Verdana"), {QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Microsoft Sans Serif"), {QStringLiteral("DejaVu Sans")});
}

QFont Face(const QString& face) {
    QFont font(face);
    if (face == kArialBlack)
        font.setWeight(QFont::Black);
    return font;
}

QFont CellHeightFont(const QString& face, int cellHeight) {
    QFont font = Face(face);
    if (cellHeight <= 1) {
        font.setPixelSize(1);
        return font;
    }
    // Cell height grows almost linearly with the pixel size: start from the proportional guess and walk to
    // the largest size whose cell still fits.
    const int atCell = CellHeightAt(font, cellHeight);
    int size = atCell > 0 ? DialogUnits::MulDiv(cellHeight, cellHeight, atCell) : cellHeight;
    size = std::max(size, 1);
    for (int guard = 0; guard < 64 && size > 1 && CellHeightAt(font, size) > cellHeight; ++guard)
        --size;
    for (int guard = 0; guard < 64 && CellHeightAt(font, size + 1) <= cellHeight; ++guard)
        ++size;
    font.setPixelSize(size);
    return font;
}

QFont DialogFont(const QString& face, int points) {
    QFont font = Face(face);
    font.setPixelSize(std::max(1, DialogUnits::MulDiv(points, 96, 72)));
    return font;
}

QFont StandardDialogFont() {
    return DialogFont(QStringLiteral("Microsoft Sans Serif"), 10);
}

} // namespace Fonts
