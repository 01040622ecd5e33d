#include "Kestrin.h"

#include "MainDlg.h"
#include "RetentionSchedule.h"
#include "Settings.h"
#include "UnknownSwipeFile.h"

#include <QMessageBox>

int Kestrin::InitInstance() {
    InstallFatalReporter();
    // Scans the decoder rejects are kept in the unknown-swipe file of the log folder.
    MagneticStripeCards::UnknownSwipeFile unknownFile;
    const MagneticStripeCards::ScopedUnknownScanSink sink(&unknownFile);
    const RetentionSchedule retention; // old logs go at the start and then daily, as "Keep Days" says
    MainDlg dlg;
    m_mainDlg = &dlg;
    dlg.show();
    dlg.exec();
    dlg.RemoveStationLock();
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

std::unique_ptr<QMessageBox> Kestrin::FatalBox(const std::string& text, const std::string& caption) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QString::fromLatin1(caption.c_str()),
                                             QString::fromLatin1(text.c_str()), QMessageBox::Ok);
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box;
}
