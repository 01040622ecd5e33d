#include "MainDlg.h"

#include "CAboutDlg.h"
#include "CycleDisplay.h"
#include "DialogUnits.h"
#include "Fonts.h"
#include "Guarded.h"
#include "HelpCommand.h"
#include "KestrinResources.h"
#include "KeyRoute.h"
#include "LogScan.h"
#include "MenuItem_Comments.h"
#include "MenuItem_Log.h"
#include "MenuItem_OnlyValidAge.h"
#include "MenuItem_Ontop.h"
#include "QtKeyInput.h"
#include "Settings.h"
#include "StationTrace.h"
#include "StringTable.h"
#include "ValidAge.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

namespace {
constexpr int kAboutSystemCommand = 16;
constexpr int kWidthDu = 222;
constexpr int kHeightDu = 169;
constexpr int kGrabRetryMs = 100;

QString Text(unsigned id) {
    return QString::fromLatin1(Resources::String(id).c_str());
}

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
    }
    return "?";
}

QFont DialogFontOfStation() {
    return Fonts::DialogFont(QStringLiteral("Verdana"), 10);
}
} // namespace

MainDlg::MainDlg(QWidget* parent) : MainDlg(parent, CreateStationLockParts()) {}

MainDlg::MainDlg(QWidget* parent, StationLockParts lock)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_menu(*this), m_cycle(*this, m_layout), m_lastResultsBox(this), m_confinement(std::move(lock.confinement)),
      m_keyboardLock(*this, std::move(lock.keyboardGrab)) {
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
    qApp->removeEventFilter(this);
    RemoveStationLock();
    for (QTimer& timer : m_timers)
        timer.stop();
}

void MainDlg::InitDialog() {
    setFont(DialogFontOfStation());
    SetUpSystemMenu();
    if (!m_icon.isNull())
        setWindowIcon(m_icon);
    CreateFonts();
    // The display state starts as Ready in the scan cycle.
    SetUpMenu();
    LayOut();
    Settings::IncrementLogNumber();
    qApp->installEventFilter(this); // modal dialogs of the station take the keyboard grab's place
    setFocusPolicy(Qt::StrongFocus);
    m_keyboardLock.Arm();
}

void MainDlg::SetUpSystemMenu() {
    const QString about = Text(Resources::IDS_ABOUTBOX);
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

void MainDlg::CreateFonts() {
    const auto font = [this](DisplayFont which, const char* face, int cellHeight) {
        m_fonts[static_cast<std::size_t>(which)] = Fonts::CellHeightFont(QString::fromLatin1(face), cellHeight);
    };
    font(DisplayFont::Headline, "Arial Black", 75);
    font(DisplayFont::Age, "Arial Black", 180);
    font(DisplayFont::Name, "Arial Narrow", 40);
    font(DisplayFont::Small, "Tahoma", 17);
    font(DisplayFont::Expiry, "Tahoma", 35);
}

void MainDlg::SetUpMenu() {
    AuxW32::IMenu* const menu = &m_menu;
    m_onlyValidAgeItem = std::make_unique<AuxW32::MenuItem_OnlyValidAge>(menu, QtMenu::ID_COUNT_VALID_ONLY);
    m_logItem = std::make_unique<AuxW32::MenuItem_Log>(menu, QtMenu::ID_CREATE_LOG);
    m_commentsItem = std::make_unique<AuxW32::MenuItem_Comments>(menu, QtMenu::ID_COMMENTS);
    m_ontopItem = std::make_unique<AuxW32::MenuItem_Ontop>(menu, QtMenu::ID_ALWAYS_ON_TOP);
    setWindowTitle(Text(Resources::IDS_CAPTION));
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
    const QSize client = units.Size(kWidthDu, kHeightDu);
    m_menu.Bar().setGeometry(0, 0, client.width(), menuHeight);
    setFixedSize(client.width(), client.height() + menuHeight);
    m_lastResultsBox.setTitle(QStringLiteral("Last Results"));
    m_lastResultsBox.setFocusPolicy(Qt::NoFocus);
    m_lastResultsBox.setGeometry(units.Rect(4, 114, 214, 50).translated(0, menuHeight));
}

QRect MainDlg::ClientRect() const {
    const int menuHeight = m_menu.Bar().height();
    return QRect(0, menuHeight, width(), height() - menuHeight);
}

void MainDlg::RemoveStationLock() {
    m_keyboardLock.Remove();
    m_confinement->Release();
}

// ---- keys

bool MainDlg::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)
        return HandleKey(static_cast<QKeyEvent&>(*e));
    return QDialog::event(e);
}

bool MainDlg::HandleKey(QKeyEvent& key) {
    const KeyRoute route = RouteKey(key, m_keyboardLock, IsOntopChecked());
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
        if (StationTrace::Enabled() && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter))
            StationTrace::Line("key Enter");
        Guarded("keystroke", [&] { FeedKeyPress(m_cycle, m_layout, key); });
        return true;
    }
    return true;
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

bool MainDlg::IsLogChecked() const {
    return m_logItem && m_logItem->IsChecked();
}

bool MainDlg::IsCommentsChecked() const {
    return m_commentsItem && m_commentsItem->IsChecked();
}

void MainDlg::LogScan(const MagneticStripeCards::Card& card, bool comments) {
    ::LogScan(card, comments);
}

// ---- painting

void MainDlg::paintEvent(QPaintEvent*) {
    Guarded("paint", [this] { PaintDisplay(); });
    Guarded("cursor confinement", [this] { ConfineIfOntop(); });
}

void MainDlg::PaintDisplay() {
    const QRect client = ClientRect();
    const DisplayState state = m_cycle.State();
    CycleDisplayOptions options;
    // The valid age is read at each paint that shows or counts a card result, never cached.
    if (state == DisplayState::CardShown || m_cycle.HasUncountedCard())
        options.validAge = Settings::GetValidAge();
    options.countValidOnly = m_onlyValidAgeItem && m_onlyValidAgeItem->IsChecked();
    const DisplayOutput out = LayoutCycleDisplay(m_cycle, options, m_total, client.width(), client.height());

    QPainter painter(this);
    painter.translate(client.topLeft());
    PaintTextItems(painter, out.items, m_fonts);

    if (StationTrace::Enabled()) {
        if (!m_firstPaintTraced)
            StationTrace::Line("first paint " + std::to_string(StationTrace::MsSinceProcessStart()) +
                               " ms after process start");
        m_firstPaintTraced = true;
        StationTrace::Line(std::string("paint ") + StateName(state));
    }
}

// ---- station lock

bool MainDlg::IsOntopChecked() const {
    return m_ontopItem && m_ontopItem->IsChecked();
}

void MainDlg::ConfineToFrame() {
    m_confinement->ConfineTo(*this);
}

bool MainDlg::IsOtherModalOpen() const {
    const QWidget* const modal = QApplication::activeModalWidget();
    return modal && modal != this;
}

void MainDlg::ConfineIfOntop() {
    // The About box and the help error box free the cursor while they are shown; the station repaints
    // behind them (it turns inactive), and that paint must not fence the cursor in again. The commands
    // renew the confinement when their dialogs have closed; the Comments and valid-age dialogs never
    // release it.
    if (!IsOntopChecked() || !isVisible() || IsOtherModalOpen())
        return;
    ConfineToFrame(); // the confinement follows the frame from here, also while the window manager builds it
}

void MainDlg::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    Guarded("cursor confinement", [this] {
        if (m_confinement->IsConfined())
            ConfineToFrame();
    });
}

void MainDlg::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange)
        Guarded("keyboard lock", [this] { UpdateKeyboardLock(); });
}

bool MainDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::Show && e->type() != QEvent::Hide)
        return false;
    const auto* const widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget == this || !widget->isWindow() || widget->windowModality() == Qt::NonModal)
        return false;
    // A modal dialog of the station needs the keyboard while it is open: let go of the grab before it
    // shows, take it again once the dialog has gone and the station is active again.
    if (e->type() == QEvent::Show)
        Guarded("keyboard lock", [this] { UpdateKeyboardLock(true); });
    else
        QTimer::singleShot(0, this, [this] { Guarded("keyboard lock", [this] { UpdateKeyboardLock(); }); });
    return false;
}

void MainDlg::UpdateKeyboardLock(bool modalOpening) {
    KeyboardLockInputs inputs;
    inputs.ontopChecked = IsOntopChecked();
    inputs.stationActive = isVisible() && isActiveWindow();
    inputs.otherModalOpen = modalOpening || IsOtherModalOpen();
    const bool wasGrabbed = m_keyboardLock.IsGrabbed();
    m_keyboardLock.Update(inputs);
    if (m_keyboardLock.IsGrabbed() != wasGrabbed)
        StationTrace::Line(m_keyboardLock.IsGrabbed() ? "keyboard grab taken" : "keyboard grab released");
    if (m_keyboardLock.IsPending())
        StationTrace::Line("keyboard grab refused");
    if (!m_keyboardLock.IsPending() || m_grabRetryScheduled)
        return;
    // The window manager may hold the keyboard for a moment (activating, moving the window): try again.
    m_grabRetryScheduled = true;
    QTimer::singleShot(kGrabRetryMs, this, [this] {
        m_grabRetryScheduled = false;
        Guarded("keyboard lock", [this] { UpdateKeyboardLock(); });
    });
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
    if (m_ontopItem->IsChecked())
        ConfineToFrame();
    else
        m_confinement->Release();
    UpdateKeyboardLock();
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
        CAboutDlg about(this, [this] { m_confinement->Release(); });
        about.exec();
    }
    if (IsOntopChecked())
        ConfineToFrame();
}

void MainDlg::OnHelp() {
    // The confinement stays released for the viewer until the next paint of the station renews it.
    OpenHelp(this, [this] { m_confinement->Release(); });
}

void MainDlg::OnSetValidAge() {
    ValidAge dialog(this);
    dialog.exec(); // the dialog stores the new age itself; the next card result reads it
}
