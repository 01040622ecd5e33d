#include "DialogLogPrompts.h"

#include "Remarks.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// The owner a dialog gets when none is named: the station's window, or the dialog of the station that is
// open over it. The Comments dialog then opens over the station, inside the fenced-in pointer's reach,
// wherever the station has been moved.
QWidget* SafeOwner() {
    if (QWidget* const modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

} // namespace

std::string DialogLogPrompts::AskLogSuffix() {
    Remarks remarks(SafeOwner());
    remarks.exec(); // however it closes, the row is written: Cancel leaves both comments empty
    return remarks.GetLogSuffix();
}

void DialogLogPrompts::ShowCannotOpenLog() {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"), QStringLiteral("Couldn't open logfile"),
                    QMessageBox::Ok);
    box.exec();
}
