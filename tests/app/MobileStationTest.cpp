// The station reading a phone, on the offscreen platform: the engagement text typed as a scan, a fake
// phone answering over a socket pair with the GATT framing, and then the verdict with the portrait on
// the window (a screenshot goes to the build's artifacts), the mobile licence's row in the scan log and
// its event in the venue store.
#include "MainDlg.h"

#include "EmbeddedStore.h"
#include "StoredBan.h"

#include "FakeHolder.h"
#include "FakeHolderPeer.h"
#include "FakeStationLock.h"
#include "Fonts.h"
#include "KestrinResources.h"
#include "SocketGattTransport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>

using namespace MdlTests;

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

// The station window shown over the test hive, and a phone holding a licence of the test issuer's.
struct PhoneDoor {
    PhoneDoor(const TestPki& pki, bool over21)
        : dlg(nullptr, FakeLockParts(log)), issuer(pki), holder(issuer, Licence(over21)) {
        dlg.show();
    }
    bool Active() { return QTest::qWaitForWindowActive(&dlg); }

    StationLockLog log;
    MainDlg dlg;
    const TestIssuer issuer;
    FakeHolder holder;
};

} // namespace

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
    void ReadPhone(PhoneDoor& door);
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

void MobileStationTest::ReadPhone(PhoneDoor& door) {
    const auto peer = ConnectPhone(door.dlg, door.holder, {});
    QVERIFY(peer);
    QTest::keyClicks(&door.dlg, door.holder.EngagementText());
    QTest::keyClick(&door.dlg, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(door.dlg.Cycle().State(), DisplayState::MobileShown, 10000);
    QTest::qWait(50); // the phone hears the end
}

void MobileStationTest::aPhoneOver21ShowsGreenWithItsPortraitAndIsLogged() {
    WriteHive(m_dir.filePath(QStringLiteral("trust")));
    PhoneDoor door(*m_pki, true);
    QVERIFY(door.Active());
    ReadPhone(door);
    door.dlg.repaint();
    QVERIFY(Shows(door.dlg, "21+", DisplayColour::kVerdictGreen));
    QVERIFY(Shows(door.dlg, "OK", DisplayColour::kVerdictGreen));
    QVERIFY(Shows(door.dlg, "Mobile licence, verified: US-UT", DisplayColour::kVerdictGreen));
    QCOMPARE(door.holder.endStatus, std::optional<qint64>(20));

    const QImage shown = door.dlg.grab().toImage();
    const QString artifacts = QStringLiteral(KESTRIN_BUILD_DIR "/artifacts/mobile");
    QDir().mkpath(artifacts);
    shown.save(artifacts + QStringLiteral("/verdict-21-plus.png"));
    // The portrait is painted: its area holds more than the window's grey.
    const QRect area = door.dlg.Display().portraitArea.translated(door.dlg.ClientRect().topLeft());
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
    QCOMPARE(door.dlg.Total(), 1);

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
        PhoneDoor door(*m_pki, false);
        QVERIFY(door.Active());
        ReadPhone(door);
        door.dlg.repaint();
        QVERIFY(Shows(door.dlg, "UNDER 21", DisplayColour::kVerdictRed));
        door.dlg.grab().save(QStringLiteral(KESTRIN_BUILD_DIR "/artifacts/mobile/verdict-under-21.png"));
        QVERIFY(!VenueEvents().empty());
        QCOMPARE(VenueEvents().back().verdict, Venue::Verdict::UnderAge);
        QCOMPARE(VenueEvents().back().format, std::string("mdl"));
    }
    WriteHive(m_dir.filePath(QStringLiteral("empty-trust")));
    PhoneDoor door(*m_pki, true);
    QVERIFY(door.Active());
    ReadPhone(door);
    door.dlg.repaint();
    QVERIFY(Shows(door.dlg, "Issuer not trusted", DisplayColour::kWarning));
    QVERIFY(!Shows(door.dlg, "21+", DisplayColour::kVerdictGreen));
    QVERIFY(door.dlg.Display().portraitArea.isNull());
    // Not verified: the door's record keeps the scan, of format "mdl", but nothing the phone claimed.
    const Venue::ScanEvent event = VenueEvents().back();
    QCOMPARE(event.verdict, Venue::Verdict::Unknown);
    QCOMPARE(event.format, std::string("mdl"));
    QVERIFY(event.state.empty());
}

void MobileStationTest::escEndsASilentPhonesSessionAndTheDoorGoesOn() {
    WriteHive(m_dir.filePath(QStringLiteral("trust")));
    PhoneDoor door(*m_pki, true);
    QVERIFY(door.Active());
    FakeHolderPeer::Faults silent;
    silent.silent = true;
    const auto peer = ConnectPhone(door.dlg, door.holder, silent);
    QVERIFY(peer);
    const std::size_t eventsBefore = VenueEvents().size();
    QTest::keyClicks(&door.dlg, door.holder.EngagementText());
    QTest::keyClick(&door.dlg, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(door.dlg.Cycle().State(), DisplayState::MobileConnecting, 3000);
    door.dlg.repaint();
    QVERIFY(Shows(door.dlg, "Phone: connecting...", DisplayColour::kBlack));
    QTRY_COMPARE_WITH_TIMEOUT(door.holder.requests.size(), 1, 3000); // the request is out, the phone keeps quiet
    QTest::keyClick(&door.dlg, Qt::Key_Escape);
    QCOMPARE(door.dlg.Cycle().State(), DisplayState::Ready);
    QTRY_COMPARE_WITH_TIMEOUT(door.holder.endStatus, std::optional<qint64>(20), 3000);
    QVERIFY(door.dlg.isVisible());                // Esc ends the session, never the window
    QCOMPARE(VenueEvents().size(), eventsBefore); // a session cancelled leaves no event
}

// The venue's notices under a result are those of the scan shown: a door without its venue key says under
// a card that the lists were not checked, but not under a phone, which is never matched against them.
void MobileStationTest::aPhoneShowsNoneOfTheCardsListNotices() {
    const char* const swipe = "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#0295814      C"
                              "               1508150BRNBLU?";
    WriteHive(m_dir.filePath(QStringLiteral("trust")));
    QFile::remove(m_dir.filePath(QStringLiteral("venue.key")));
    StoreBan(m_dir.filePath(QStringLiteral("venue.db")).toStdString(), std::string(32, 'b'), "default");
    PhoneDoor door(*m_pki, true);
    QVERIFY(door.Active());
    QTest::keyClicks(&door.dlg, QString::fromLatin1(swipe));
    QTest::keyClick(&door.dlg, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(door.dlg.Cycle().State(), DisplayState::CardShown, 3000);
    door.dlg.repaint();
    const std::string notice = "Lists not checked: no venue key file";
    QVERIFY(Shows(door.dlg, notice, DisplayColour::kWarning));

    ReadPhone(door);
    door.dlg.repaint();
    QVERIFY(Shows(door.dlg, "21+", DisplayColour::kVerdictGreen));
    QVERIFY(!Shows(door.dlg, notice, DisplayColour::kWarning));
    QCOMPARE(VenueEvents().back().format, std::string("mdl"));
}

QTEST_MAIN(MobileStationTest)
#include "MobileStationTest.moc"
