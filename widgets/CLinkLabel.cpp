#include "CLinkLabel.h"

#include "DesktopShellOpen.h"
#include "IShellOpen.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMessageBox>
#include <QMouseEvent>
#include <QUrl>

#include <utility>

namespace {

const QString kHttp = QStringLiteral("http://");
const QString kMailto = QStringLiteral("mailto:");

QUrl UrlFor(const QString& target) {
    const QUrl url(target, QUrl::TolerantMode);
    if (url.isValid() && !url.scheme().isEmpty())
        return url;
    return QUrl::fromUserInput(target);
}

// Keeps the anchor the alignment implies: left/centre/right edge horizontally, centre or top vertically.
QRect Anchored(const QRect& old, const QSize& size, Qt::Alignment alignment) {
    int x = old.left();
    if (alignment & Qt::AlignHCenter)
        x = old.left() + (old.width() - size.width()) / 2;
    else if (alignment & Qt::AlignRight)
        x = old.right() + 1 - size.width();
    int y = old.top();
    if (alignment & Qt::AlignVCenter)
        y = old.top() + (old.height() - size.height()) / 2;
    return {QPoint(x, y), size};
}

} // namespace

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent) : CLinkLabel(text, parent, DesktopShellOpen::Instance()) {}

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent, IShellOpen& shell)
    : QLabel(text, parent), m_shell(shell), m_cursorSource([] { return QCursor::pos(); }) {
    // A dialog's static text sits at the top left of its rectangle; a label centres vertically by default.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    // No background of its own: on Windows the label erases to the button-face colour, which is the
    // dialog's; here a group box may draw a panel of another shade behind it, so the label stays
    // transparent and looks as it does there.
    setAutoFillBackground(false);

    m_target = TargetFromText(text);
    if (text.isEmpty())
        setText(m_target);
    m_hoverTimer.setInterval(kHoverPeriodMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CLinkLabel::HoverTick);

    ApplyLook();
    AdjustToFit();
    UpdateTooltip();
}

void CLinkLabel::SetTarget(const QString& target) {
    m_target = target;
    AdjustToFit();
    UpdateTooltip();
}

void CLinkLabel::SetVisited(bool visited) {
    m_visited = visited;
    ApplyLook();
}

QColor CLinkLabel::CurrentColour() const {
    if (m_hovered)
        return m_hoverColour;
    return m_visited ? m_visitedColour : m_linkColour;
}

void CLinkLabel::SetUnderlineMode(Underline mode) {
    m_underline = mode;
    ApplyLook();
}

void CLinkLabel::SetAdjustToFit(bool on) {
    m_adjustToFit = on;
    AdjustToFit();
}

void CLinkLabel::SetCustomTooltip(const QString& text) {
    m_customTooltip = text;
    UpdateTooltip();
}

void CLinkLabel::SetCursorSource(std::function<QPoint()> source) {
    m_cursorSource = std::move(source);
}

void CLinkLabel::AdjustToFit() {
    if (!m_adjustToFit)
        return;
    QFont underlined = font();
    underlined.setUnderline(true);
    const QSize textSize = QFontMetrics(underlined).size(Qt::TextSingleLine, text());
    const QMargins margins = contentsMargins();
    const int border = 2 * margin();
    const QSize size(textSize.width() + margins.left() + margins.right() + border,
                     textSize.height() + margins.top() + margins.bottom() + border);
    setGeometry(Anchored(geometry(), size, alignment()));
}

int CLinkLabel::Open() {
    m_hovered = false;
    m_hoverTimer.stop();
    ApplyLook();
    const int result = m_shell.Open(UrlFor(m_target));
    if (result > 32) {
        SetVisited(true);
        return result;
    }
    QApplication::beep();
    ReportError(result);
    return result;
}

void CLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    if (m_hovered)
        return;
    m_hovered = true;
    ApplyLook();
    m_hoverTimer.start();
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    Open();
}

void CLinkLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        AdjustToFit();
}

void CLinkLabel::HoverTick() {
    if (rect().contains(mapFromGlobal(m_cursorSource())))
        return;
    m_hovered = false;
    m_hoverTimer.stop();
    ApplyLook();
}

void CLinkLabel::ApplyLook() {
    const bool underlined = m_underline == Underline::Always || (m_underline == Underline::WhileHovered && m_hovered);
    // Only the underline flag is set here; face and size stay those the label inherits from its dialog.
    QFont underline;
    underline.setUnderline(underlined);
    setFont(underline);
    QPalette look = palette();
    look.setColor(QPalette::WindowText, CurrentColour());
    setPalette(look);
    update();
}

void CLinkLabel::UpdateTooltip() {
    setToolTip(TooltipText(m_target, m_tooltipPrefixing, m_customTooltip));
}

void CLinkLabel::ReportError(int shellResult) {
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(), ErrorReport(shellResult),
                    QMessageBox::Ok, window());
    box.exec();
}

QString CLinkLabel::TooltipText(const QString& target, bool prefixing, const QString& custom) {
    if (!custom.isEmpty())
        return custom;
    if (!prefixing)
        return target;
    if (target.startsWith(kHttp, Qt::CaseInsensitive))
        return QStringLiteral("Go to ") + target.mid(kHttp.size());
    if (target.startsWith(kMailto, Qt::CaseInsensitive))
        return QStringLiteral("E-mail ") + target.mid(kMailto.size());
    return target;
}

QString CLinkLabel::TargetFromText(const QString& text) {
    if (text.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        return kHttp + text;
    return text;
}

QString CLinkLabel::ErrorMessage(int shellResult) {
    switch (shellResult) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE transactions\n"
                              "were being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(shellResult);
    }
}

QString CLinkLabel::ErrorReport(int shellResult) {
    return QStringLiteral("Unable to open hyperlink:\n\n") + ErrorMessage(shellResult);
}
