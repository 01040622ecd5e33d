#pragma once
// A label that behaves like a hyperlink: link-coloured text, underlined while the mouse is over it, a hand
// cursor and a tooltip naming the target. A click opens the target through the desktop shell; success
// turns the text to the visited colour, failure beeps and explains the shell's result in a message box.
//
//   mouse move --> hovered (underline, hover colour) --> hover timer, every 100 ms: mouse still inside?
//   click --> IShellOpen::Open(target) --> visited | beep + "Unable to open hyperlink:"

#include <QColor>
#include <QLabel>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <functional>

class IShellOpen;

class CLinkLabel : public QLabel {
public:
    static constexpr int kHoverTimerId = 100;
    static constexpr int kHoverPeriodMs = 100;

    enum class Underline { Always = 1, Never = 0, WhileHovered = -1 };

    // Attaches to the text as a dialog's static control would be: an empty target is taken from the text.
    // The shell must outlive the label.
    CLinkLabel(const QString& text, QWidget* parent, IShellOpen& shell);
    explicit CLinkLabel(const QString& text, QWidget* parent = nullptr);

    void SetTarget(const QString& target);
    const QString& Target() const { return m_target; }

    void SetVisited(bool visited);
    bool IsVisited() const { return m_visited; }
    bool IsHovered() const { return m_hovered; }

    QColor CurrentColour() const;

    void SetUnderlineMode(Underline mode);
    void SetAdjustToFit(bool on);
    void SetCustomTooltip(const QString& text);

    // Resizes the label to its text (measured underlined, so hovering never clips it) when adjust-to-fit
    // is on, keeping the edge or centre that the alignment anchors.
    void AdjustToFit();

    // Opens the target as a click does; returns the shell's result.
    int Open();

    bool IsHoverTimerActive() const { return m_hoverTimer.isActive(); }

    // Where the mouse is, in global coordinates; QCursor::pos unless a test replaces it.
    void SetCursorSource(std::function<QPoint()> source);

    // "Go to " + address for http://, "E-mail " + address for mailto:, else the target whole;
    // a non-empty custom text wins.
    static QString TooltipText(const QString& target, bool prefixing, const QString& custom);
    // The target the label opens for a given text: "www." addresses get "http://" put in front.
    static QString TargetFromText(const QString& text);
    // The message for a failed shell result, as the error box shows it after "Unable to open hyperlink:".
    static QString ErrorMessage(int shellResult);
    // The error box's whole text.
    static QString ErrorReport(int shellResult);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void HoverTick();
    void ApplyLook();
    void UpdateTooltip();
    void ReportError(int shellResult);

    IShellOpen& m_shell;
    QString m_target;
    QColor m_linkColour{0, 0, 238};
    QColor m_visitedColour{85, 26, 139};
    QColor m_hoverColour{255, 0, 0};
    Underline m_underline = Underline::WhileHovered;
    bool m_adjustToFit = true;
    bool m_tooltipPrefixing = true;
    QString m_customTooltip;
    bool m_hovered = false;
    bool m_visited = false;
    QTimer m_hoverTimer;
    std::function<QPoint()> m_cursorSource;
};
