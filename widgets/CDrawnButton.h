#pragma once
// A push button that paints itself: a face with a hand-drawn 3-D border, an optional icon and the caption.
// Painting follows one fixed recipe (frame for focus/default, face, raised or sunken border, icon and
// caption moved by the pushed offset while pressed, embossed caption when disabled, dotted focus mark),
// so the dialogs look the same under every Qt style.
//
// The default-button rule is the dialog's: QDialog moves the default to an auto-default button when it
// takes the focus and back when it leaves, Enter clicks the default button; the black outer frame follows
// isDefault().

#include <QColor>
#include <QPixmap>
#include <QPushButton>
#include <QString>

#include <array>

class QPainter;

class CDrawnButton : public QPushButton {
    Q_OBJECT
public:
    enum State { Pressed = 0, Focused = 1, Normal = 2 };

    explicit CDrawnButton(QWidget* parent = nullptr);
    CDrawnButton(const QString& caption, QWidget* parent = nullptr);

    // Raised (false) or flat (true, the default) look.
    void SetFlat(bool flat, bool repaint = true);
    bool IsFlat() const { return m_flat; }

    // One icon, drawn at its natural size in every state; a null pixmap removes it.
    void SetIcon(const QPixmap& icon);
    // Loads the icon from a file or Qt resource path (":/icons/138.png").
    void SetIcon(const QString& path);
    const QPixmap& Icon() const { return m_icon; }

    // Makes the button the dialog's default push button or a plain one.
    void SetDefaultButton(bool isDefaultButton);

    static constexpr int kImageMargin = 3;
    static constexpr int kPushedOffset = 1;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void LoadDefaultColors();
    void DrawBackground(QPainter& painter, QRect& rect, State state, bool framed) const;
    void DrawBorder(QPainter& painter, const QRect& rect, bool pressed) const;
    QRect DrawIcon(QPainter& painter, const QRect& client, bool pressed, bool disabled) const;
    void DrawCaption(QPainter& painter, QRect area, State state, bool pressed, bool disabled) const;
    void DrawFocusMark(QPainter& painter, const QRect& rect) const;

    bool m_flat = true;
    QPixmap m_icon;
    std::array<QColor, 3> m_faceColors;
    std::array<QColor, 3> m_textColors;
};
