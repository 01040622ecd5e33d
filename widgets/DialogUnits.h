#pragma once
// Dialog layouts are given in dialog units of the dialog's font. This converts them to pixels the way the
// Windows dialog manager does, so a dialog keeps the proportions its template was designed with:
//   horizontal base = average width of "A".."Z" "a".."z" (rounded), x px = x * base / 4
//   vertical base   = character cell height (ascent + descent), y px = y * base / 8
// Each product is rounded half away from zero (MulDiv).

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

class DialogUnits {
public:
    explicit DialogUnits(const QFont& dialogFont);

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    int X(int units) const;
    int Y(int units) const;
    QSize Size(int width, int height) const;
    QRect Rect(int x, int y, int width, int height) const;

    // Gives `widget` the geometry of a template entry at (x, y, width, height).
    void Place(QWidget& widget, int x, int y, int width, int height) const;

    // round(a * b / c), half away from zero, as MulDiv; 0 when c is 0.
    static int MulDiv(int a, int b, int c);

private:
    int m_baseX;
    int m_baseY;
};
