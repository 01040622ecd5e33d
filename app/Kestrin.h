#pragma once
// The station's start-up: build the main window (its initialisation arms the lock at its very end), run
// it modally, take the station lock off, destroy the window. A fatal settings failure is shown in a
// message box, with the lock taken off first so the box can be answered; a settings failure the station
// goes on through is shown in a box that takes neither the keyboard nor the station's turn.

#include <memory>
#include <string>

class MainDlg;
class QMessageBox;
class QWidget;

class Kestrin {
public:
    Kestrin();
    ~Kestrin();
    Kestrin(const Kestrin&) = delete;
    Kestrin& operator=(const Kestrin&) = delete;

    // Needs a QApplication. Returns the process exit code.
    int InitInstance();

    // The box of a fatal settings failure: no owner window (the station may be half built or about to
    // go), exclamation icon, OK only, and above every other window so it cannot hide behind the station.
    static std::unique_ptr<QMessageBox> FatalBox(const std::string& text, const std::string& caption);

    // The box of a settings failure the station goes on through: warning icon, OK only, not modal, and
    // never given the keyboard, so the next card's key strokes still reach the station.
    static std::unique_ptr<QMessageBox> WarningBox(QWidget* station = nullptr);

private:
    void InstallFatalReporter();
    void InstallWarningReporter();
    void ShowWarning(const std::string& text);

    MainDlg* m_mainDlg = nullptr; // the window of the running start-up; not owned
    std::unique_ptr<QMessageBox> m_warningBox;
};
