#pragma once
// The station's one window. It owns the menu and the option items, the display fonts, the scan cycle
// (swipe capture, timers 1-3, current card, last results, total), the scan log's session and the station
// lock, and paints the result display the layout describes:
//
//   key press --RouteKey--> ReaderKeymap --> ScanCycle --(timers, paint, log row, Comments)--> here
//   reader burst at an open dialog --ReaderBurstFilter--> ReaderKeymap --> ScanCycle
//   paintEvent --> LayoutDisplay --> PaintDisplay, then the station lock after the paint
//
// Esc and Enter never close it: every key press is taken before QDialog's handling. Alt+F4 and the
// close button end the modal run through QDialog's own close handling. It can be resized, maximised and
// put in full screen (F11, or "Full Screen" 1 at start); the display scales with it.

#include "DisplayFontSet.h"
#include "InsideCounter.h"
#include "LastResultsBox.h"
#include "MdlStationSession.h"
#include "QtMenu.h"
#include "ReaderBurstFilter.h"
#include "ReaderKeymap.h"
#include "ScanCycle.h"
#include "ScanLogSession.h"
#include "StationLock.h"
#include "VenueDesk.h"
#include "iMenuItem.h"

#include <QDialog>
#include <QIcon>
#include <QImage>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>
#include <utility>

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
    // The client size the template gives (the display's design size).
    QSize DesignClientSize() const { return m_designClient; }
    const ScanCycle& Cycle() const { return m_cycle; }
    std::int32_t Total() const { return m_cycle.Total(); }
    const QtMenu& Menu() const { return m_menu; }
    const LastResultsBox& ResultsBox() const { return m_lastResultsBox; }
    // What the last paint drew, in client coordinates.
    const DisplayOutput& Display() const { return m_display; }
    void ToggleFullScreen();
    bool IsKeyboardGrabbed() const { return m_lock.IsKeyboardGrabbed(); }
    bool IsCursorConfined() const { return m_lock.IsCursorConfined(); }
    // How mobile-licence sessions reach the phone (tests put a fake phone here); empty: by the engagement.
    void SetMobileTransport(Mdl::MdlStationSession::TransportMaker maker) { m_mobileTransport = std::move(maker); }
    // The items of the "system menu" offered in the client area's context menu.
    QMenu& SystemMenu() { return *m_systemMenu; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void changeEvent(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // ScanCycleHost
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;
    void Repaint() override;
    void PaintNow() override;
    bool IsLogChecked() const override;
    bool IsCommentsChecked() const override;
    bool IsCountValidOnlyChecked() const override;
    std::int32_t ValidAge() override;
    bool WriteLogRow(const MagneticStripeCards::Card& card, bool commentsFollow) override;
    void OpenComments() override;
    void RecordVenueScan(const MagneticStripeCards::Card* card) override;
    void StartMobileSession(const std::string& engagementText) override;
    void CancelMobileSession() override;
    bool WriteMobileLogRow(const std::string& row) override;
    void RecordMobileVenueScan(const MobileResult& result) override;
    void OnMobileFinished(const Mdl::MdlOutcome& outcome, bool trustListOutOfDate);

    void InitDialog();
    void SetUpMenu();
    void SetUpSystemMenu();
    void LayOut();
    void FitToSize();
    void ConnectCommand(int id, void (MainDlg::*command)());

    bool HandleKey(QKeyEvent& key);
    void FeedReaderKey(const QKeyEvent& key);
    DisplayOutput LayOutDisplay(const QSize& client) const;
    void PaintClientArea();
    QRect ToScreen(const QRect& clientRect) const;
    void OnTimer(int id);

    void OnExit();
    void OnAlwaysOnTop();
    void OnAbout();
    void OnHelp();
    void OnSetValidAge();
    void OnToggleLog();
    void OnToggleComments();
    void OnToggleCountValidOnly();
    void OnBanLastCard();
    void OnFlagLastCard();
    void OnVipLastCard();
    void OnVenueLists();
    void OnVenueReports();
    void CountByHand(int delta);
    void StartInsideCount();
    InsideLine InsideNow() const;
    void ReadInsideSettings();
    void AddLastCardTo(Venue::ListKind list);
    void OpenVenueMenu();

    bool IsOntopChecked() const;

    QtMenu m_menu;
    QIcon m_icon;
    DisplayFontSet m_fonts;
    QSize m_designClient;
    DisplayOutput m_display;
    std::array<QTimer, 3> m_timers; // ids 1 quiet, 2 result, 3 unknown; outlive the cycle that drives them
    ReaderKeymap m_readerKeymap;
    ScanCycle m_cycle;
    LastResultsBox m_lastResultsBox;
    std::unique_ptr<QMenu> m_systemMenu;
    std::unique_ptr<AuxW32::iMenuItem> m_onlyValidAgeItem;
    std::unique_ptr<AuxW32::iMenuItem> m_logItem;
    std::unique_ptr<AuxW32::iMenuItem> m_commentsItem;
    std::unique_ptr<AuxW32::iMenuItem> m_ontopItem;
    std::unique_ptr<ScanLogSession> m_log; // made at start, with this run's number
    std::unique_ptr<Venue::VenueDesk> m_venue;
    // Who is inside: this door's admitted scans and F7 / F8, on top of the night's stored rows.
    Reports::InsideCounter m_inside{6, 0}; // its settings are read at the start and at each count
    StationLock m_lock;
    std::unique_ptr<ReaderBurstFilter> m_burstFilter;
    std::unique_ptr<Mdl::MdlStationSession> m_mobileSession; // the phone being read, on its own thread
    Mdl::MdlStationSession::TransportMaker m_mobileTransport;
    QImage m_portrait; // the mobile licence's portrait while its result shows; kept nowhere else
    bool m_firstPaintTraced = false;
};
