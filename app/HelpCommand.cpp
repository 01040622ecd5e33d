#include "HelpCommand.h"

#include "IShellOpen.h"
#include "ManualDlg.h"
#include "QtText.h"
#include "Settings.h"
#include "StringTable.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace {

void ShowCannotOpen(QWidget* owner) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), QtText::Resource(Resources::IDS_CANNOT_OPEN_HELP),
                    QMessageBox::Ok, owner);
    box.exec();
}

} // namespace

QString HelpFilePath(const std::string& appFolder) {
    return QString::fromLocal8Bit(appFolder) + QLatin1Char('/') + QtText::Resource(Resources::IDS_HELP_FILE);
}

HelpOutcome OpenHelp(QWidget* owner, const std::function<void()>& releaseConfinement, IShellOpen& shell) {
    if (releaseConfinement)
        releaseConfinement();
    const QString path = HelpFilePath(Settings::GetAppFolder());
    // The desktop's launcher reports success before any viewer has seen the file, so a missing manual
    // is caught here.
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        ShowCannotOpen(owner);
        return HelpOutcome::CannotOpen;
    }
    const int result = shell.Open(QUrl::fromLocalFile(path));
    if (result > 32)
        return HelpOutcome::ViewerStarted;
    if (result == IShellOpen::kNoAssociation && !ManualDlg::ManualText().isEmpty()) {
        ManualDlg manual(owner);
        manual.exec();
        return HelpOutcome::ShownInStation;
    }
    ShowCannotOpen(owner);
    return HelpOutcome::CannotOpen;
}
