// The station reading a phone, on the offscreen platform: the engagement text typed as a scan, a fake
// phone answering over a socket pair with the GATT framing, and then the verdict with the portrait on
// the window (a screenshot goes to the build's artifacts), the mobile licence's row in the scan log and
// its event in the venue store.
#include "MainDlg.h"

#include "EmbeddedStore.h"
#include "VenueTime.h"

#include "FakeHolder.h"
#include "FakeHolderPeer.h"
#include "FakeStationLock.h"
#include "Fonts.h"
#include "KestrinResources.h"
#include "SocketGattTransport.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>

using namespace MdlTests;

class MobileStationTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void aPhoneOver21ShowsGreenWithItsPortraitAndIsLogged();
    void aPhoneUnder21ShowsRedAndAnUntrustedIssuerAmber();
    void escEndsASilentPhonesSessionAndTheDoorGoesOn();
    void aPhoneShowsNoneOfTheCardsListNotices();

private:
    void WriteHive(const QString& trustFolder);
    QString LogText() const;
    // The venue store's events, oldest first (the store is next to the hive).
    std::vector<Venue::ScanEvent> VenueEvents() const;
    // Types the phone's engagement into the station and waits for the verdict.
    void ReadPhone(MainDlg& dlg, FakeHolder& holder);
    // Hands the window a socket pair whose far end the returned peer serves.
    std::unique_ptr<FakeHolderPeer> ConnectPhone(MainDlg& dlg, FakeHolder& holder, FakeHolderPeer::Faults faults);

    QTemporaryDir m_dir;
    std::unique_ptr<TestPki> m_pki;
};

void MobileStationTest::initTestCase() {
    QVERIFY(m_dir.isValid());
    qputenv("KESTRIN_REGISTRY", m_dir.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
    Fonts::InstallFontSubstitutions();
    InitKestrinResources();
    m_pki = std::make_unique<TestPki>();
    QVERIFY2(m_pki->Ok(), "openssl could not make the test PKI");
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("trust"))));
    QVERIFY(QFile::copy(m_pki->Path(QStringLiteral("iaca.pem")), m_dir.filePath(QStringLiteral("trust/iaca.pem"))));
}

void MobileStationTest::WriteHive(const QString& trustFolder) {
    QFile file(m_dir.filePath(QStringLiteral("registry.reg")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n"
               "\"Log Folder\"=\"" +
               m_dir.filePath(QStringLiteral("logs")).toLocal8Bit() +
               "\"\r\n\"Log Name\"=\"M\"\r\n\"Log Number\"=dword:00000001\r\n\"Enable Log\"=dword:00000001\r\n"
               "\"Enable Comments\"=dword:00000000\r\n\"Enable Ontop\"=dword:00000000\r\n"
               "\"Count Valid DL Only\"=dword:00000000\r\n\"Valid Age\"=dword:00000015\r\n"
               "\"mDL Trust Folder\"=\"" +
               trustFolder.toLocal8Bit() + "\"\r\n");
}

QString MobileStationTest::LogText() const {
    QString text;
    QDirIterator it(m_dir.filePath(QStringLiteral("logs")), {QStringLiteral("*.csv")}, QDir::Files);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromLatin1(file.readAll());
    }
    return text;
}

std::vector<Venue::ScanEvent> MobileStationTest::VenueEvents() const {
    return Venue::EmbeddedStore(m_dir.filePath(QStringLiteral("venue.db")).toStdString()).Scans("", std::nullopt);
}

std::unique_ptr<FakeHolderPeer> MobileStationTest::ConnectPhone(MainDlg& dlg, FakeHolder& holder,
                                                                FakeHolderPeer::Faults faults) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
        return {};
    const int stationFd = fds[0];
    dlg.SetMobileTransport([stationFd](const Mdl::DeviceEngagement&) {
        return std::make_unique<Mdl::SocketGattTransport>(Base::UniqueFd(stationFd), 185);
    });
    return std::make_unique<FakeHolderPeer>(Base::UniqueFd(fds[1]), holder, 185, faults);
}

void MobileStationTest::ReadPhone(MainDlg& dlg, FakeHolder& holder) {
    const auto peer = ConnectPhone(dlg, holder, {});
    QVERIFY(peer);
    QTest::keyClicks(&dlg, holder.EngagementText());
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.Cycle().State(), DisplayState::MobileShown, 10000);
    QTest::qWait(50); // the phone hears the end
}

namespace {

IssueOptions Licence(bool over21) {
    IssueOptions options;
    options.elements = TestIssuer::DoorElements(over21);
    options.validFrom = std::time(nullptr) - 3600;
    options.validUntil = std::time(nullptr) + 3600;
    return options;
}

bool Shows(const MainDlg& dlg, const std::string& text, Rgb colour) {
    for (const TextItem& item : dlg.Display().items)
        if (item.text == text && item.colour == colour)
            return true;
    return false;
}

} // namespace

void MobileStationTest::aPhoneOver21ShowsGreenWithItsPortraitAndIsLogged() {
    WriteHive(m_dir.filePath(QStringLiteral("trust")));
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    const TestIssuer issuer(*m_pki);
    FakeHolder holder(issuer, Licence(true));
    ReadPhone(dlg, holder);
    dlg.repaint();
    QVERIFY(Shows(dlg, "21+", DisplayColour::kVerdictGreen));
    QVERIFY(Shows(dlg, "OK", DisplayColour::kVerdictGreen));
    QVERIFY(Shows(dlg, "Mobile licence, verified: US-UT", DisplayColour::kVerdictGreen));
    QCOMPARE(holder.endStatus, std::optional<qint64>(20));

    const QImage shown = dlg.grab().toImage();
    const QString artifacts = QStringLiteral(KESTRIN_BUILD_DIR "/artifacts/mobile");
    QDir().mkpath(artifacts);
    shown.save(artifacts + QStringLiteral("/verdict-21-plus.png"));
    // The portrait is painted: its area holds more than the window's grey.
    const QRect area = dlg.Display().portraitArea.translated(dlg.ClientRect().topLeft());
    QVERIFY(area.isValid());
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); y += 3)
        for (int x = area.left(); x <= area.right(); x += 3)
            colours.insert(shown.pixel(x, y));
    QVERIFY2(colours.size() > 20, "the portrait is on the screen");

    const QString row = LogText().split(QStringLiteral("\r\n")).filter(QStringLiteral("\"21+\"")).value(0);
    QVERIFY2(!row.isEmpty(), qPrintable(LogText()));
    QVERIFY(row.contains(QStringLiteral(",\"UT\",")));
    QVERIFY(row.contains(QStringLiteral("\"05/31/2031\"")));
    QVERIFY(!LogText().contains(QStringLiteral("JFIF")));
    QCOMPARE(dlg.Total(), 1);

    const auto events = VenueEvents();
    QVERIFY(!events.empty());
    const Venue::ScanEvent& event = events.back();
    QCOMPARE(event.format, std::string("mdl"));
    QCOMPARE(event.verdict, Venue::Verdict::Ok);
    QCOMPARE(event.state, std::string("UT"));
    QCOMPARE(event.venue, std::string("default"));
    QVERIFY(!event.age);
    QVERIFY(event.idHmac.empty());
}

void MobileStationTest::aPhoneUnder21ShowsRedAndAnUntrustedIssuerAmber() {
    WriteHive(m_dir.filePath(QStringLiteral("trust")));
    {
        StationLockLog log;
        MainDlg dlg(nullptr, FakeLockParts(log));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        const TestIssuer issuer(*m_pki);
        FakeHolder holder(issuer, Licence(false));
        ReadPhone(dlg, holder);
        dlg.repaint();
        QVERIFY(Shows(dlg, "UNDER 21", DisplayColour::kVerdictRed));
        dlg.grab().save(QStringLiteral(KESTRIN_BUILD_DIR "/artifacts/mobile/verdict-under-21.png"));
        QVERIFY(!VenueEvents().empty());
        QCOMPARE(VenueEvents().back().verdict, Venue::Verdict::UnderAge);
        QCOMPARE(VenueEvents().back().format, std::string("mdl"));
    }
    WriteHive(m_dir.filePath(QStringLiteral("empty-trust")));
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    const TestIssuer issuer(*m_pki);
    FakeHolder holder(issuer, Licence(true));
    ReadPhone(dlg, holder);
    dlg.repaint();
    QVERIFY(Shows(dlg, "Issuer not trusted", DisplayColour::kWarning));
    QVERIFY(!Shows(dlg, "21+", DisplayColour::kVerdictGreen));
    QVERIFY(dlg.Display().portraitArea.isNull());
    // Not verified: the door's record keeps the scan, of format "mdl", but nothing the phone claimed.
    const Venue::ScanEvent event = VenueEvents().back();
    QCOMPARE(event.verdict, Venue::Verdict::Unknown);
    QCOMPARE(event.format, std::string("mdl"));
    QVERIFY(event.state.empty());
}

void MobileStationTest::escEndsASilentPhonesSessionAndTheDoorGoesOn() {
    WriteHive(m_dir.filePath(QStringLiteral("trust")));
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    const TestIssuer issuer(*m_pki);
    FakeHolder holder(issuer, Licence(true));
    FakeHolderPeer::Faults silent;
    silent.silent = true;
    const auto peer = ConnectPhone(dlg, holder, silent);
    QVERIFY(peer);
    const std::size_t eventsBefore = VenueEvents().size();
    QTest::keyClicks(&dlg, holder.EngagementText());
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.Cycle().State(), DisplayState::MobileConnecting, 3000);
    dlg.repaint();
    QVERIFY(Shows(dlg, "Phone: connecting...", DisplayColour::kBlack));
    QTRY_COMPARE_WITH_TIMEOUT(holder.requests.size(), 1, 3000); // the request is out, the phone keeps quiet
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QCOMPARE(dlg.Cycle().State(), DisplayState::Ready);
    QTRY_COMPARE_WITH_TIMEOUT(holder.endStatus, std::optional<qint64>(20), 3000);
    QVERIFY(dlg.isVisible());                     // Esc ends the session, never the window
    QCOMPARE(VenueEvents().size(), eventsBefore); // a session cancelled leaves no event
}

// The venue's notices under a result are those of the scan shown: a door without its venue key says under
// a card that the lists were not checked, but not under a phone, which is never matched against them.
void MobileStationTest::aPhoneShowsNoneOfTheCardsListNotices() {
    const char* const swipe = "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#0295814      C"
                              "               1508150BRNBLU?";
    WriteHive(m_dir.filePath(QStringLiteral("trust")));
    QFile::remove(m_dir.filePath(QStringLiteral("venue.key")));
    {
        Venue::EmbeddedStore store(m_dir.filePath(QStringLiteral("venue.db")).toStdString());
        Venue::ListEntry ban;
        ban.id = Venue::NewUuid();
        ban.idHmac = std::string(32, 'b');
        ban.reason = Venue::Reason::Violence;
        ban.createdAt = Venue::NowMicros();
        ban.validUntil = *Venue::EndOfLocalDay(QDate::currentDate().addDays(30).toString(Qt::ISODate).toStdString());
        ban.venue = "default";
        ban.createdBy = "office test";
        store.AddEntry(ban);
    }
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClicks(&dlg, QString::fromLatin1(swipe));
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.Cycle().State(), DisplayState::CardShown, 3000);
    dlg.repaint();
    const std::string notice = "Lists not checked: no venue key file";
    QVERIFY(Shows(dlg, notice, DisplayColour::kWarning));

    const TestIssuer issuer(*m_pki);
    FakeHolder holder(issuer, Licence(true));
    ReadPhone(dlg, holder);
    dlg.repaint();
    QVERIFY(Shows(dlg, "21+", DisplayColour::kVerdictGreen));
    QVERIFY(!Shows(dlg, notice, DisplayColour::kWarning));
    QCOMPARE(VenueEvents().back().format, std::string("mdl"));
}

QTEST_MAIN(MobileStationTest)
#include "MobileStationTest.moc"
