#include "DialogLogPrompts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QStyle>

#include <algorithm>

namespace {

// The owner a dialog gets when none is named: the station's window, or the dialog of the station that is
// open over it. The Comments dialog then opens over the station, inside the fenced-in pointer's reach,
// wherever the station has been moved.
QWidget* SafeOwner() {
    if (QWidget* const modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

std::unique_ptr<QMessageBox> MakeCannotOpenBox() {
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QStringLiteral("Error"),
                                             QStringLiteral("Couldn't open logfile"), QMessageBox::Ok);
    box->setWindowModality(Qt::NonModal);
    // Shown without taking the focus, and never given it: key strokes stay with the station.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    return box;
}

} // namespace

// Where a window manager activates the box all the same, the keys that reach it are the reader's next card:
// they go on to the window the operator was working in.
class KeysToStation final : public QObject {
public:
    void SetStation(QWidget* station) { m_station = station; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return QObject::eventFilter(watched, event);
        if (m_station)
            QCoreApplication::sendEvent(m_station, event);
        return true;
    }

private:
    QPointer<QWidget> m_station;
};

DialogLogPrompts::DialogLogPrompts() = default;
DialogLogPrompts::~DialogLogPrompts() = default;

void DialogLogPrompts::ShowCannotOpenLog() {
    if (!m_box) {
        m_box = MakeCannotOpenBox();
        m_keys = std::make_unique<KeysToStation>();
        m_box->installEventFilter(m_keys.get());
    }
    if (m_box->isVisible()) {
        m_box->raise();
        return;
    }
    QWidget* const over = SafeOwner();
    m_keys->SetStation(over);
    if (over) {
        // Low in the station's frame: within the fenced-in pointer's reach, and clear of the verdict the
        // next cards still show.
        m_box->adjustSize();
        const QRect frame = over->frameGeometry();
        const int titleAllowance = m_box->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8;
        m_box->move(frame.center().x() - m_box->width() / 2,
                    std::max(frame.top(), frame.bottom() - m_box->height() - titleAllowance));
    }
    m_box->show();
    if (over && QApplication::activeWindow() != over)
        over->activateWindow();
}
