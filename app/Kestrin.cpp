#include "Kestrin.h"

#include "QtText.h"

#include "MainDlg.h"
#include "RetentionSchedule.h"
#include "Settings.h"
#include "UnknownSwipeFile.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

Kestrin::Kestrin() = default;
Kestrin::~Kestrin() = default;

int Kestrin::InitInstance() {
    InstallFatalReporter();
    InstallWarningReporter();
    // Scans the decoder rejects are kept in the unknown-swipe file of the log folder.
    MagneticStripeCards::UnknownSwipeFile unknownFile;
    const MagneticStripeCards::ScopedUnknownScanSink sink(&unknownFile);
    const RetentionSchedule retention; // old logs go at the start and then daily, as "Keep Days" says
    MainDlg dlg;
    m_mainDlg = &dlg;
    dlg.show();
    dlg.exec();
    dlg.RemoveStationLock();
    Settings::SaveDeferredChanges(); // a change the hive's lock kept out gets its last chance
    m_warningBox.reset();
    m_mainDlg = nullptr;
    return 0;
}

void Kestrin::InstallFatalReporter() {
    Settings::SetFatalReporter([this](const std::string& text, const std::string& caption) {
        if (m_mainDlg)
            m_mainDlg->RemoveStationLock();
        FatalBox(text, caption)->exec();
    });
}

void Kestrin::InstallWarningReporter() {
    Settings::SetWarningReporter([this](const std::string& text) {
        // The store may report from inside a paint: the box shows once the event loop runs again.
        QTimer::singleShot(0, qApp, [this, text] { ShowWarning(text); });
    });
}

// One box, whose text the latest report replaces.
void Kestrin::ShowWarning(const std::string& text) {
    if (!m_warningBox)
        m_warningBox = WarningBox(m_mainDlg); // destroyed before the station: InitInstance resets it first
    m_warningBox->setText(QtText::FromBytes(text));
    m_warningBox->adjustSize();
    // At the foot of the station, over the last results: within reach of a pointer fenced into the station,
    // and clear of the verdict.
    if (m_mainDlg) {
        const QRect station = m_mainDlg->frameGeometry();
        // The box has no frame before its first show; the station's own frame tells how high one will be.
        const int frame = station.height() - m_mainDlg->height();
        const QSize box = m_warningBox->size();
        m_warningBox->move(station.center().x() - box.width() / 2, station.bottom() - frame - box.height());
    }
    m_warningBox->show();
}

std::unique_ptr<QMessageBox> Kestrin::WarningBox(QWidget* station) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral("Kestrin"), QString(),
                                             QMessageBox::Ok, station);
    box->setModal(false);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    return box;
}

std::unique_ptr<QMessageBox> Kestrin::FatalBox(const std::string& text, const std::string& caption) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QtText::FromBytes(caption), QtText::FromBytes(text),
                                             QMessageBox::Ok);
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box;
}
