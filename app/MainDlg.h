#pragma once
// The station's one window. It owns the menu and the option items, the display fonts, the scan cycle
// (swipe capture, timers 1-3, current card, last results) and the station lock, and paints the result
// display the layout describes:
//
//   key press --RouteKey--> FeedKeyPress --> ScanCycle --(StartTimer/StopTimer/Repaint/LogScan)--> here
//   paintEvent --> LayoutDisplay --> PaintTextItems, then the cursor confinement while "Always On Top"
//
// Esc and Enter never close it: every key press is taken before QDialog's handling. Alt+F4 and the
// close button end the modal run through QDialog's own close handling.

#include "DisplayPainter.h"
#include "ICursorConfinement.h"
#include "KeyboardLock.h"
#include "QtMenu.h"
#include "ScanCycle.h"
#include "StationLockFactory.h"
#include "UsKeyboardLayout.h"
#include "iMenuItem.h"

#include <QDialog>
#include <QGroupBox>
#include <QIcon>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>

class MainDlg final : public QDialog, private ScanCycleHost {
public:
    explicit MainDlg(QWidget* parent = nullptr);
    // With the station lock given (tests give fakes); the plain constructor picks it for the platform.
    MainDlg(QWidget* parent, StationLockParts lock);
    ~MainDlg() override;

    // Lets go of the keyboard grab and the cursor confinement for good; the start-up calls it when the
    // modal run has returned, and the fatal-error report before its message box.
    void RemoveStationLock();

    // The display area below the menu bar, in window coordinates.
    QRect ClientRect() const;
    const ScanCycle& Cycle() const { return m_cycle; }
    std::int32_t Total() const { return m_total; }
    const QtMenu& Menu() const { return m_menu; }
    const QGroupBox& LastResultsBox() const { return m_lastResultsBox; }
    bool IsKeyboardGrabbed() const { return m_keyboardLock.IsGrabbed(); }
    bool IsCursorConfined() const { return m_confinement->IsConfined(); }
    // The items of the "system menu" offered in the client area's context menu.
    QMenu& SystemMenu() { return *m_systemMenu; }

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void changeEvent(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

private:
    // ScanCycleHost
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;
    void Repaint() override;
    bool IsLogChecked() const override;
    bool IsCommentsChecked() const override;
    void LogScan(const MagneticStripeCards::Card& card, bool comments) override;

    void InitDialog();
    void CreateFonts();
    void SetUpMenu();
    void SetUpSystemMenu();
    void LayOut();
    void ConnectCommand(int id, void (MainDlg::*command)());

    bool HandleKey(QKeyEvent& key);
    void PaintDisplay();
    void OnTimer(int id);

    void OnExit();
    void OnAlwaysOnTop();
    void OnAbout();
    void OnHelp();
    void OnSetValidAge();
    void OnToggleLog();
    void OnToggleComments();
    void OnToggleCountValidOnly();

    bool IsOntopChecked() const;
    bool IsOtherModalOpen() const;
    void ConfineToFrame();
    void ConfineIfOntop();
    void UpdateKeyboardLock(bool modalOpening = false);

    QtMenu m_menu;
    QIcon m_icon;
    DisplayFonts m_fonts;
    std::array<QTimer, 3> m_timers; // ids 1 quiet, 2 result, 3 unknown; outlive the cycle that drives them
    UsKeyboardLayout m_layout;
    ScanCycle m_cycle;
    std::int32_t m_total = 0;
    QGroupBox m_lastResultsBox;
    std::unique_ptr<QMenu> m_systemMenu;
    std::unique_ptr<AuxW32::iMenuItem> m_onlyValidAgeItem;
    std::unique_ptr<AuxW32::iMenuItem> m_logItem;
    std::unique_ptr<AuxW32::iMenuItem> m_commentsItem;
    std::unique_ptr<AuxW32::iMenuItem> m_ontopItem;
    std::unique_ptr<ICursorConfinement> m_confinement;
    KeyboardLock m_keyboardLock;
    bool m_grabRetryScheduled = false;
    bool m_firstPaintTraced = false;
};
