#include "TempHive.h"

#include "Card.h"
#include "Clock.h"
#include "Fonts.h"
#include "LogFileWriter.h"
#include "StationLog.h"
#include "StringTable.h"

#include <QMessageBox>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

using MagneticStripeCards::Card;
using MagneticStripeCards::FixedClock;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Swipe() {
    return Read(std::string(KESTRIN_TEST_DATA) + "/card/three_tracks.txt");
}

} // namespace

// The station's road: a decoded card, the real Comments dialog and message box, the system clock.
class StationLogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::InstallFontSubstitutions(); }

    void init() {
        m_hive = std::make_unique<TempHive>();
        m_hive->Write({{"Log Folder", m_hive->Dir() + "/logs"},
                       {"Log Name", std::string("Door")},
                       {"Log Number", std::uint32_t{7}}});
        const FixedClock scanned(2007, 3, 10, 14, 5, 33);
        m_card = std::make_unique<Card>(Swipe(), scanned);
    }
    void cleanup() {
        m_card.reset();
        m_hive.reset();
    }

    void twoScansGiveOneHeaderAndTwoRows() {
        StationLog log("7");
        QCOMPARE(log.LogScan(*m_card, false), LogFileWriter::Result::Written);
        QCOMPARE(log.LogScan(*m_card, true), LogFileWriter::Result::Written);
        QCOMPARE(log.AddComments(",\"late shift\",\"ok\""), LogFileWriter::Result::Written);
        const std::string crlf = "\r\n";
        QCOMPARE(Read(LogPath()), Resources::String(Resources::IDS_LOG_HEADER) + m_card->LogRow() + crlf +
                                      m_card->LogRow() + ",\"late shift\",\"ok\"" + crlf);
    }

    // The row is on disk before the Comments dialog closes: a station that dies meanwhile keeps it.
    void rowWaitingForCommentsIsAlreadyLogged() {
        StationLog("7").LogScan(*m_card, true);
        QCOMPARE(Read(LogPath()), Resources::String(Resources::IDS_LOG_HEADER) + m_card->LogRow() + ",\"\",\"\"\r\n");
    }

    // The box does not block the station, and the rows it was about reach the log once the file can be
    // opened again.
    void unopenableFileShowsOneBoxThatDoesNotBlockAndRowsWait() {
        QWidget station;
        station.show();
        station.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&station));
        std::filesystem::create_directories(LogPath()); // the log file's name is taken by a folder
        StationLog log("7");
        QCOMPARE(log.LogScan(*m_card, false), LogFileWriter::Result::Kept);
        QCOMPARE(log.LogScan(*m_card, false), LogFileWriter::Result::Kept);
        const QMessageBox* const box = log.Prompts().CannotOpenBox();
        QVERIFY(box && box->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(QApplication::activeWindow(), &station);

        std::filesystem::remove(LogPath());
        QCOMPARE(log.LogScan(*m_card, false), LogFileWriter::Result::Written);
        const std::string line = m_card->LogRow() + "\r\n";
        QCOMPARE(Read(LogPath()), Resources::String(Resources::IDS_LOG_HEADER) + line + line + line);
    }

    void personalDataZeroLogsTheMinimalRow() {
        m_hive->Write({{"Log Folder", m_hive->Dir() + "/logs"},
                       {"Log Name", std::string("Door")},
                       {"Log Personal Data", std::uint32_t{0}}});
        QCOMPARE(StationLog("7").LogScan(*m_card, false), LogFileWriter::Result::Written);
        QCOMPARE(Read(LogPath()), Resources::String(Resources::IDS_LOG_HEADER) + m_card->LogRow(false) + "\r\n");
    }

private:
    std::string LogPath() const {
        const std::tm now = MagneticStripeCards::SystemClock::Instance().LocalNow();
        return m_hive->Dir() + "/logs/" + LogFileWriter::FileName("Door", now, "7");
    }

    std::unique_ptr<TempHive> m_hive;
    std::unique_ptr<Card> m_card;
};

QTEST_MAIN(StationLogTest)
#include "StationLogTest.moc"
