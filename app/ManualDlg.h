#pragma once
// The user manual shown inside the station: Help's answer on a desktop without an application for PDF
// documents (a kiosk). It renders the manual's own Markdown, compiled into the program, read-only; links
// are shown as text and never followed, so the manual cannot lead the operator out of the station.

#include <QDialog>
#include <QDialogButtonBox>
#include <QString>
#include <QTextEdit>
#include <QVBoxLayout>

class ManualDlg : public QDialog {
public:
    explicit ManualDlg(QWidget* parent);

    // The manual's Markdown; empty when the program was built without it.
    static QString ManualText();

private:
    QTextEdit m_text;
    QDialogButtonBox m_buttons;
    QVBoxLayout m_layout;
};
