#include "DialogLogPrompts.h"

#include "Remarks.h"

#include <QMessageBox>

std::string DialogLogPrompts::AskLogSuffix() {
    Remarks remarks;
    remarks.exec(); // however it closes, the row is written: Cancel leaves both comments empty
    return remarks.GetLogSuffix();
}

void DialogLogPrompts::ShowCannotOpenLog() {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"), QStringLiteral("Couldn't open logfile"),
                    QMessageBox::Ok);
    box.exec();
}
