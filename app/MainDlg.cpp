#include "MainDlg.h"

#include "CAboutDlg.h"
#include "Card.h"
#include "CommentsPlacement.h"
#include "CycleDisplay.h"
#include "DialogUnits.h"
#include "DisplayPainter.h"
#include "Fonts.h"
#include "Guarded.h"
#include "HelpCommand.h"
#include "KestrinResources.h"
#include "KeyRoute.h"
#include "ListEntryDialog.h"
#include "ListsDialog.h"
#include "MenuItem_Comments.h"
#include "MenuItem_Log.h"
#include "MenuItem_OnlyValidAge.h"
#include "MenuItem_Ontop.h"
#include "MobileScan.h"
#include "QtText.h"
#include "ReportStore.h"
#include "ReportsWindow.h"
#include "Settings.h"
#include "SqliteVenueSql.h"
#include "StationTrace.h"
#include "StoredNight.h"
#include "StringTable.h"
#include "ValidAge.h"
#include "VenueTime.h"
#include "Verdict.h"
#include "VerdictValidAge.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDate>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace {
constexpr int kAboutSystemCommand = 16;
constexpr int kWidthDu = 222;
constexpr int kHeightDu = 169;
// The "Last Results" group box of the template: x 4, bottom at 164 of 169 dialog units.
constexpr int kBoxLeftDu = 4;
constexpr int kBoxBottomDu = 164;

const char* StateName(DisplayState state) {
    switch (state) {
    case DisplayState::Capturing:
        return "Capturing";
    case DisplayState::Ready:
        return "Ready";
    case DisplayState::CardShown:
        return "CardShown";
    case DisplayState::UnknownCard:
        return "UnknownCard";
    case DisplayState::MobileConnecting:
        return "MobileConnecting";
    case DisplayState::MobileShown:
        return "MobileShown";
    }
    return "?";
}

QFont DialogFontOfStation() {
    return Fonts::DialogFont(QStringLiteral("Verdana"), 10);
}

std::string RectText(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}
} // namespace

MainDlg::MainDlg(QWidget* parent) : MainDlg(parent, CreateStationLockParts()) {}

MainDlg::MainDlg(QWidget* parent, StationLockParts lock)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_menu(*this), m_readerKeymap(ReaderKeymap::FromSetting(Settings::GetReaderLayout())),
      m_cycle(*this, {}, VerdictDelay::FromSetting(Settings::GetVerdictDelay())), m_lastResultsBox(this),
      m_lock(*this, std::move(lock), [this] { return IsOntopChecked(); }) {
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        const int id = static_cast<int>(i) + 1;
        // A coarse timer may fire 5 % early, which would cut the quiet period short of its 500/1000 ms.
        m_timers[i].setTimerType(Qt::PreciseTimer);
        connect(&m_timers[i], &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    m_icon = StationIcon();
    InitDialog();
}

MainDlg::~MainDlg() {
    RemoveStationLock();
    for (QTimer& timer : m_timers)
        timer.stop();
}

void MainDlg::InitDialog() {
    setFont(DialogFontOfStation());
    SetUpSystemMenu();
    if (!m_icon.isNull())
        setWindowIcon(m_icon);
    // The display state starts as Ready in the scan cycle; the fonts are made as the display needs them.
    SetUpMenu();
    LayOut();
    if (Settings::GetFullScreen() == 1)
        setWindowState(windowState() | Qt::WindowFullScreen);
    // Every row of this run goes to the file of the number this start stored, whatever other stations on
    // the same hive do to "Log Number" later.
    const std::optional<std::uint32_t> run = Settings::IncrementLogNumber();
    m_log = std::make_unique<ScanLogSession>(run ? std::to_string(*run) : Settings::GetLogNumberText());
    Guarded("venue", [this] {
        m_venue = Venue::VenueDesk::FromSettings();
        // The venue's count comes from the sync worker's thread: repaint on this one.
        m_venue->OnVenueCount([this] {
            QMetaObject::invokeMethod(
                this, [this] { update(); }, Qt::QueuedConnection);
        });
    });
    Guarded("inside count", [this] { StartInsideCount(); });
    m_burstFilter = std::make_unique<ReaderBurstFilter>(*this, m_readerKeymap,
                                                        [this](const QKeyEvent& key) { FeedReaderKey(key); });
    setFocusPolicy(Qt::StrongFocus);
    m_lock.Arm();
}

void MainDlg::SetUpSystemMenu() {
    const QString about = QtText::Resource(Resources::IDS_ABOUTBOX);
    if (about.isEmpty())
        return;
    // X11 window managers keep their window menu to themselves; the client area's context menu carries
    // the item instead.
    m_systemMenu = std::make_unique<QMenu>(this);
    m_systemMenu->addSeparator();
    QAction* const item = m_systemMenu->addAction(about);
    item->setData(kAboutSystemCommand);
    connect(item, &QAction::triggered, this, [this] { Guarded("About", [this] { OnAbout(); }); });
}

void MainDlg::SetUpMenu() {
    AuxW32::IMenu* const menu = &m_menu;
    m_onlyValidAgeItem = std::make_unique<AuxW32::MenuItem_OnlyValidAge>(menu, QtMenu::ID_COUNT_VALID_ONLY);
    m_logItem = std::make_unique<AuxW32::MenuItem_Log>(menu, QtMenu::ID_CREATE_LOG);
    m_commentsItem = std::make_unique<AuxW32::MenuItem_Comments>(menu, QtMenu::ID_COMMENTS);
    m_ontopItem = std::make_unique<AuxW32::MenuItem_Ontop>(menu, QtMenu::ID_ALWAYS_ON_TOP);
    StoreDefaultValidAge();
    setWindowTitle(QtText::Resource(Resources::IDS_CAPTION));
    m_menu.EnableMenuItem(QtMenu::ID_COMMENTS, true);
    m_menu.EnableMenuItem(QtMenu::ID_SET_VALID_AGE, true);

    ConnectCommand(QtMenu::ID_APP_EXIT, &MainDlg::OnExit);
    ConnectCommand(QtMenu::ID_ALWAYS_ON_TOP, &MainDlg::OnAlwaysOnTop);
    ConnectCommand(QtMenu::ID_CREATE_LOG, &MainDlg::OnToggleLog);
    ConnectCommand(QtMenu::ID_COMMENTS, &MainDlg::OnToggleComments);
    ConnectCommand(QtMenu::ID_COUNT_VALID_ONLY, &MainDlg::OnToggleCountValidOnly);
    ConnectCommand(QtMenu::ID_SET_VALID_AGE, &MainDlg::OnSetValidAge);
    ConnectCommand(QtMenu::ID_HELP, &MainDlg::OnHelp);
    ConnectCommand(QtMenu::ID_APP_ABOUT, &MainDlg::OnAbout);
    ConnectCommand(QtMenu::ID_VENUE_BAN, &MainDlg::OnBanLastCard);
    ConnectCommand(QtMenu::ID_VENUE_FLAG, &MainDlg::OnFlagLastCard);
    ConnectCommand(QtMenu::ID_VENUE_VIP, &MainDlg::OnVipLastCard);
    ConnectCommand(QtMenu::ID_VENUE_LISTS, &MainDlg::OnVenueLists);
    ConnectCommand(QtMenu::ID_VENUE_REPORTS, &MainDlg::OnVenueReports);
}

void MainDlg::ConnectCommand(int id, void (MainDlg::*command)()) {
    QAction* const action = m_menu.Action(id);
    if (!action)
        return;
    connect(action, &QAction::triggered, this,
            [this, command] { Guarded("menu command", [&] { (this->*command)(); }); });
}

void MainDlg::LayOut() {
    const DialogUnits units(font());
    const int menuHeight = m_menu.Bar().sizeHint().height();
    m_designClient = units.Size(kWidthDu, kHeightDu);
    const QSize window(m_designClient.width(), m_designClient.height() + menuHeight);
    setMinimumSize(window);
    resize(window);
    FitToSize();
}

void MainDlg::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    Guarded("layout", [this] { FitToSize(); });
}

// The menu bar spans the window; the group box follows the display's lower lines.
void MainDlg::FitToSize() {
    const int menuHeight = m_menu.Bar().sizeHint().height();
    m_menu.Bar().setGeometry(0, 0, width(), menuHeight);
    const QRect client = ClientRect();
    const DisplayOutput display = LayOutDisplay(client.size());
    const DialogUnits units(font());
    const auto scaled = [&](int pixels) { return static_cast<int>(std::lround(pixels * display.scale)); };
    QFont boxFont = font();
    boxFont.setPixelSize(std::max(1, scaled(font().pixelSize())));
    const int bottomGap = units.Y(kHeightDu) - units.Y(kBoxBottomDu);
    m_lastResultsBox.PlaceAround(display.lowerLines.translated(client.topLeft()), scaled(units.X(kBoxLeftDu)),
                                 client.bottom() + 1 - scaled(bottomGap), boxFont);
}

QRect MainDlg::ClientRect() const {
    const int menuHeight = m_menu.Bar().height();
    return QRect(0, menuHeight, width(), height() - menuHeight);
}

void MainDlg::RemoveStationLock() {
    m_lock.Remove();
}

// ---- keys

bool MainDlg::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)
        return HandleKey(static_cast<QKeyEvent&>(*e));
    return QDialog::event(e);
}

bool MainDlg::HandleKey(QKeyEvent& key) {
    const KeyRoute route = RouteKey(key, m_lock.Keys(), IsOntopChecked());
    // Under the keyboard grab every key comes here, even while a menu of the station is open; the menu
    // gets it, as it would without the grab (but never a task-switching key).
    QWidget* const popup = QApplication::activePopupWidget();
    if (route != KeyRoute::Swallow && popup && popup != this) {
        QCoreApplication::sendEvent(popup, &key);
        return true;
    }
    switch (route) {
    case KeyRoute::Swallow:
    case KeyRoute::Ignore:
        key.accept();
        return true;
    case KeyRoute::CloseWindow:
        key.accept();
        close();
        return true;
    case KeyRoute::System:
        return QDialog::event(&key);
    case KeyRoute::Feed:
        key.accept();
        FeedReaderKey(key);
        return true;
    case KeyRoute::FullScreen:
        key.accept();
        Guarded("full screen", [this] { ToggleFullScreen(); });
        return true;
    case KeyRoute::VenueMenu: // its items the arrow keys and Enter then reach
        key.accept();
        Guarded("venue menu", [this] { OpenVenueMenu(); });
        return true;
    case KeyRoute::CountIn:
        key.accept();
        Guarded("inside count", [this] { CountByHand(1); });
        return true;
    case KeyRoute::CountOut:
        key.accept();
        Guarded("inside count", [this] { CountByHand(-1); });
        return true;
    }
    return true;
}

void MainDlg::FeedReaderKey(const QKeyEvent& key) {
    if (key.type() == QEvent::KeyPress && key.key() == Qt::Key_Escape &&
        m_cycle.State() == DisplayState::MobileConnecting) {
        Guarded("cancel the phone's session", [this] { m_cycle.CancelMobile(); });
        return;
    }
    if (StationTrace::Enabled() && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter))
        StationTrace::Line("key Enter");
    Guarded("keystroke", [&] { m_cycle.OnKey(m_readerKeymap.Key(key)); });
}

// ---- timers and the cycle's host

void MainDlg::OnTimer(int id) {
    Guarded("timer", [&] { m_cycle.OnTimer(id); });
}

void MainDlg::StartTimer(int id, int periodMs) {
    if (id < 1 || id > static_cast<int>(m_timers.size()))
        return;
    m_timers[static_cast<std::size_t>(id - 1)].start(periodMs); // restarts a running timer's period
}

void MainDlg::StopTimer(int id) {
    if (id < 1 || id > static_cast<int>(m_timers.size()))
        return;
    m_timers[static_cast<std::size_t>(id - 1)].stop();
}

void MainDlg::Repaint() {
    update();
}

void MainDlg::PaintNow() {
    repaint(); // paints and hands the picture to the window system before it returns
}

bool MainDlg::IsLogChecked() const {
    return m_logItem && m_logItem->IsChecked();
}

bool MainDlg::IsCommentsChecked() const {
    return m_commentsItem && m_commentsItem->IsChecked();
}

bool MainDlg::IsCountValidOnlyChecked() const {
    return m_onlyValidAgeItem && m_onlyValidAgeItem->IsChecked();
}

std::int32_t MainDlg::ValidAge() {
    return VerdictValidAge();
}

bool MainDlg::WriteLogRow(const MagneticStripeCards::Card& card, bool commentsFollow) {
    const bool written = m_log && m_log->WriteRow(card, commentsFollow);
    StationTrace::Line(written ? "log row written" : "log row not written");
    return written;
}

void MainDlg::OpenComments() {
    Remarks& dialog = m_log->NewComments(*this);
    // The dialog's frame is taken to be as thick as the station's. Window managers differ in whether the
    // position asked for is the frame's corner or the client area's, so the verdict is kept clear by a
    // frame's thickness more, and either way the dialog lies clear of it.
    const QRect frame = frameGeometry().contains(geometry()) ? frameGeometry() : geometry();
    const QMargins margins(geometry().left() - frame.left(), geometry().top() - frame.top(),
                           frame.right() - geometry().right(), frame.bottom() - geometry().bottom());
    const QSize frameSize = dialog.size().grownBy(margins);
    const QRect verdict = ToScreen(m_display.verdictArea);
    const QRect available = screen() ? screen()->availableGeometry() : QRect(QPoint(0, 0), frameSize * 4);
    // Whichever side of the verdict the dialog takes, its title bar may be the side that faces it.
    const int thickest = std::max({margins.left(), margins.top(), margins.right(), margins.bottom()});
    const QMargins clearance(thickest, thickest, thickest, thickest);
    const QPoint at = CommentsDialogPosition(verdict.marginsAdded(clearance), frame, available, frameSize);
    dialog.setGeometry(QRect(at, dialog.size()));
    // The pointer may reach the dialog where it lies outside the window.
    m_lock.SetExtraArea(QRect(at, frameSize));
    StationTrace::Line("comments open at " + RectText(QRect(at, frameSize)) + " verdict " + RectText(verdict));
    m_log->OpenComments([this] {
        m_lock.SetExtraArea(QRect());
        StationTrace::Line("comments closed");
        m_cycle.OnCommentsClosed();
    });
}

// ---- mobile licences

void MainDlg::StartMobileSession(const std::string& engagementText) {
    m_mobileSession.reset();
    m_portrait = QImage();
    StationTrace::Line("mobile session start");
    Mdl::MdlStationSession::Request request =
        MobileRequestOf(engagementText, VerdictValidAge(), Settings::GetMdlTrustFolder());
    request.transport = m_mobileTransport;
    m_mobileSession = std::make_unique<Mdl::MdlStationSession>(std::move(request));
    connect(m_mobileSession.get(), &Mdl::MdlStationSession::finished, this,
            [this](const Mdl::MdlOutcome& outcome, bool outOfDate, qint64 elapsedMs) {
                StationTrace::Line("mobile session end after " + std::to_string(elapsedMs) + " ms");
                Guarded("mobile licence", [&] { OnMobileFinished(outcome, outOfDate); });
            });
}

void MainDlg::CancelMobileSession() {
    m_mobileSession.reset();
}

void MainDlg::OnMobileFinished(const Mdl::MdlOutcome& outcome, bool trustListOutOfDate) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const MobileResult result = MobileResultOf(outcome, VerdictValidAge(), trustListOutOfDate, local);
    m_portrait = result.shown.hasPortrait ? QImage::fromData(outcome.portrait) : QImage();
    m_cycle.OnMobileResult(result);
}

bool MainDlg::WriteMobileLogRow(const std::string& row) {
    const bool written = m_log && m_log->WriteRow(row);
    StationTrace::Line(written ? "log row written" : "log row not written");
    return written;
}

// ---- painting

DisplayOutput MainDlg::LayOutDisplay(const QSize& client) const {
    // The valid age is read at each paint of a card result (the last one read when the hive cannot be).
    const bool result = m_cycle.State() == DisplayState::CardShown || m_cycle.State() == DisplayState::MobileShown;
    DisplayInput in = DisplayInputOf(m_cycle, result ? VerdictValidAge() : kDefaultValidAge);
    if (result && m_venue && m_venue->LastOutcome()) {
        // A phone's result shows the marks of its own event only, never the card's before it; a phone is
        // never matched against the lists, so their absence is no news there.
        const Venue::DoorOutcome& last = *m_venue->LastOutcome();
        const bool mobile = m_cycle.State() == DisplayState::MobileShown;
        if (!mobile || last.event.format == "mdl")
            in.venue = VenueMarksOf(last, mobile || !m_venue->MissesLists());
    }
    in.inside = InsideNow();
    if (m_venue)
        in.stationNotice = ClockNotice(m_venue->ClockOffset());
    in.width = client.width();
    in.height = client.height();
    in.designWidth = m_designClient.width();
    in.designHeight = m_designClient.height();
    return LayoutDisplay(in, m_fonts);
}

void MainDlg::paintEvent(QPaintEvent*) {
    Guarded("paint", [this] { PaintClientArea(); });
    Guarded("cursor confinement", [this] { m_lock.AfterPaint(); });
}

void MainDlg::PaintClientArea() {
    const QRect client = ClientRect();
    const DisplayState state = m_cycle.State();
    m_display = LayOutDisplay(client.size());
    QPainter painter(this);
    painter.translate(client.topLeft());
    PaintDisplay(painter, m_display, m_fonts);
    if (state == DisplayState::MobileShown && m_display.portraitArea.isValid() && !m_portrait.isNull()) {
        const QImage scaled =
            m_portrait.scaled(m_display.portraitArea.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(m_display.portraitArea.topLeft(), scaled);
    }

    if (StationTrace::Enabled()) {
        if (!m_firstPaintTraced)
            StationTrace::Line("first paint " + std::to_string(StationTrace::MsSinceProcessStart()) +
                               " ms after process start");
        m_firstPaintTraced = true;
        std::string line = std::string("paint ") + StateName(state) + " client " +
                           RectText(ToScreen(QRect(QPoint(0, 0), client.size())));
        if (!m_display.verdictArea.isEmpty())
            line += " verdict " + RectText(ToScreen(m_display.verdictArea));
        for (const TextItem& item : m_display.items)
            if (item.font == DisplayFont::Age)
                line += " age " + RectText(ToScreen(BoxOf(item, m_fonts))) + " cell " + std::to_string(item.cellHeight);
        StationTrace::Line(line);
    }
}

QRect MainDlg::ToScreen(const QRect& clientRect) const {
    return clientRect.translated(mapToGlobal(ClientRect().topLeft()));
}

void MainDlg::ToggleFullScreen() {
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

// ---- station lock

bool MainDlg::IsOntopChecked() const {
    return m_ontopItem && m_ontopItem->IsChecked();
}

void MainDlg::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    Guarded("cursor confinement", [this] { m_lock.AfterMove(); });
}

void MainDlg::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange)
        Guarded("keyboard lock", [this] { m_lock.AfterActivationChange(); });
}

// ---- commands

void MainDlg::contextMenuEvent(QContextMenuEvent* e) {
    if (m_systemMenu && ClientRect().contains(e->pos()))
        m_systemMenu->exec(e->globalPos());
}

void MainDlg::OnExit() {
    close();
}

void MainDlg::OnAlwaysOnTop() {
    m_ontopItem->Toggle();
    m_lock.AfterOptionToggled();
}

void MainDlg::OnToggleLog() {
    m_logItem->Toggle();
}

void MainDlg::OnToggleComments() {
    m_commentsItem->Toggle();
}

void MainDlg::OnToggleCountValidOnly() {
    m_onlyValidAgeItem->Toggle();
}

void MainDlg::OnAbout() {
    {
        CAboutDlg about(this, [this] { m_lock.ReleaseCursor(); });
        about.exec();
    }
    m_lock.RenewAfterDialog();
}

void MainDlg::OnHelp() {
    // For a viewer the confinement stays released until the next paint of the station renews it; the
    // manual shown inside the station has closed by now, so the fence goes back at once, as after About.
    if (OpenHelp(this, [this] { m_lock.ReleaseCursor(); }) == HelpOutcome::ShownInStation)
        m_lock.RenewAfterDialog();
}

void MainDlg::OnSetValidAge() {
    ::ValidAge dialog(this);
    dialog.exec(); // the dialog stores the new age itself; the next card result reads it
}

// ---- venue

void MainDlg::RecordVenueScan(const MagneticStripeCards::Card* card) {
    if (!m_venue)
        return;
    Guarded("venue record", [&] {
        if (!card) {
            m_venue->RecordUnknown();
            return;
        }
        Venue::Verdict verdict = Venue::Verdict::Ok;
        switch (JudgeCard(card->Age(), card->Expired(), VerdictValidAge())) {
        case Verdict::UnderAge:
            verdict = Venue::Verdict::UnderAge;
            break;
        case Verdict::Expired:
            verdict = Venue::Verdict::Expired;
            break;
        default:
            break;
        }
        const Venue::DoorOutcome& outcome = m_venue->RecordCard(*card, verdict);
        ReadInsideSettings();
        m_inside.CountVerdict(std::string(Venue::CodeOf(outcome.event.verdict)), outcome.event.scannedAt);
        StationTrace::Line(std::string("venue event ") + std::string(Venue::CodeOf(outcome.event.verdict)) +
                           (outcome.stored ? " stored" : " not stored"));
    });
}

// A phone's session with a result: its event (format "mdl") is kept like a card's, and a verified one of
// age counts one in. A session cancelled before its result leaves nothing, as a scan never finished.
void MainDlg::RecordMobileVenueScan(const MobileResult& result) {
    if (!m_venue)
        return;
    Guarded("venue record", [&] {
        const Venue::DoorOutcome& outcome = m_venue->RecordMobile(result.verified, result.ok, result.state);
        ReadInsideSettings();
        m_inside.CountVerdict(std::string(Venue::CodeOf(outcome.event.verdict)), outcome.event.scannedAt);
        StationTrace::Line(std::string("venue event mdl ") + std::string(Venue::CodeOf(outcome.event.verdict)) +
                           (outcome.stored ? " stored" : " not stored"));
    });
}

void MainDlg::OpenVenueMenu() {
    QMenu& menu = m_menu.VenueMenu();
    menu.popup(mapToGlobal(QPoint(0, m_menu.Bar().height())));
    if (!menu.actions().isEmpty())
        menu.setActiveAction(menu.actions().first());
}

void MainDlg::OnBanLastCard() {
    AddLastCardTo(Venue::ListKind::Banned);
}

void MainDlg::OnFlagLastCard() {
    AddLastCardTo(Venue::ListKind::Flagged);
}

void MainDlg::OnVipLastCard() {
    AddLastCardTo(Venue::ListKind::Vip);
}

void MainDlg::AddLastCardTo(Venue::ListKind list) {
    const QString caption = QStringLiteral("Venue");
    if (!m_venue || !m_venue->HasLastCard()) {
        QMessageBox::information(
            this, caption,
            m_venue && m_venue->Trouble().empty()
                ? QStringLiteral("Scan a licence first: the last scan named nobody.")
                : QString::fromStdString(m_venue ? m_venue->Trouble() : std::string("No venue store.")));
        return;
    }
    Venue::ListEntryDialog dialog(list, QDate::currentDate(), QString::fromStdString(m_venue->LastCardName()), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::string error;
    if (!m_venue->AddForLastCard(dialog.Request(), error)) {
        QMessageBox::warning(this, caption, QString::fromStdString(error));
        return;
    }
    update(); // the card still shown now shows the entry too
}

// Opened over the station like the other Venue dialogs: the station lock holds and the reader's bursts
// still reach the scan cycle, while the report is read on a worker thread.
void MainDlg::OnVenueReports() {
    Reports::ReportsWindowSetup setup;
    setup.venue = m_venue ? m_venue->Config().venue : Venue::VenueConfig::FromSettings().venue;
    setup.dayStartHour = Settings::GetDayStartsAt();
    setup.opener = Reports::ReportStoreOpener(m_venue ? m_venue->Config().database : std::string());
    setup.now = [] { return Venue::NowMicros(); };
    Reports::ReportsWindow window(std::move(setup), this);
    window.exec();
}

// The night's stored rows of this venue, read once at the start: what was counted before this run
// (a restart in the middle of the night keeps its count).
void MainDlg::StartInsideCount() {
    if (!m_venue)
        return;
    ReadInsideSettings();
    const Venue::Micros now = Venue::NowMicros();
    const Reports::ReportPeriod night{Reports::NightStart(now, Settings::GetDayStartsAt()), now};
    Reports::ReadStoredNight(
        this, [path = Venue::EmbeddedStore::DefaultPath()] { return std::make_unique<Reports::SqliteVenueSql>(path); },
        m_venue->Config().venue, night,
        [this, now](const Reports::NightRows& rows) {
            m_inside.AddStored(rows, now);
            update();
        },
        [](const std::string& cause) { StationTrace::Line("inside count starts at 0: " + cause); });
}

void MainDlg::CountByHand(int delta) {
    if (!m_venue)
        return;
    ReadInsideSettings();
    bool stored = false;
    const Venue::Micros at = m_venue->RecordDoorCount(delta, stored);
    if (delta > 0)
        m_inside.CountIn(at);
    else
        m_inside.CountOut(at);
    update();
}

// "Day Starts At" and "Capacity" as the hive has them now: read at the start and at each count, so a
// change shows with the next one.
void MainDlg::ReadInsideSettings() {
    m_inside.SetDayStartHour(Settings::GetDayStartsAt());
    m_inside.SetCapacity(Settings::GetCapacity());
}

// The line under the total; none without a venue store to count in.
InsideLine MainDlg::InsideNow() const {
    if (!m_venue)
        return {};
    const Venue::Micros now = Venue::NowMicros();
    // With a venue database, the venue's count over all its doors once the server has given one for
    // tonight; this door's own count until then.
    Reports::InsideCounter shown = m_inside;
    if (const auto venue = m_venue->VenueInsideCount(now))
        shown.SetInside(static_cast<int>(*venue), now);
    switch (shown.LevelAt(now)) {
    case Reports::InsideCounter::Level::Red:
        return {shown.Text(now), DisplayColour::kVerdictRed};
    case Reports::InsideCounter::Level::Amber:
        return {shown.Text(now), DisplayColour::kWarning};
    case Reports::InsideCounter::Level::Normal:
        break;
    }
    return {shown.Text(now), DisplayColour::kBlack};
}

void MainDlg::OnVenueLists() {
    if (!m_venue)
        return;
    Venue::ListsDialog dialog(*m_venue, this);
    dialog.exec();
}
