// The Venue menu's dialogs on the offscreen platform, over a real VenueDesk in a temporary hive folder:
// the entry dialog never offers an expiry the store refuses; the lists dialog searches by name and lifts
// the selected entry with the reason asked for.
#include "Card.h"
#include "Clock.h"
#include "ListEntryDialog.h"
#include "ListsDialog.h"
#include "VenueDesk.h"
#include "VenueTime.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <iterator>

class VenueDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void entryDialogOffersOnlyWhatTheStoreTakes();
    void listsSearchByNameAndLift();
};

namespace {

std::string Scan(const char* name) {
    std::ifstream in(std::string(KESTRIN_TEST_DATA) + "/card/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

void VenueDialogsTest::entryDialogOffersOnlyWhatTheStoreTakes() {
    const QDate today(2026, 12, 8);
    Venue::ListEntryDialog dialog(Venue::ListKind::Flagged, today, QStringLiteral("Doe John"), nullptr);
    auto* const until = dialog.findChild<QDateEdit*>();
    QVERIFY(until);
    until->setDate(today.addYears(9));
    QCOMPARE(until->date(), QDate(2031, 12, 7));
    until->setDate(today.addDays(-3));
    QCOMPARE(until->date(), today);
    dialog.findChild<QLineEdit*>()->setText(QStringLiteral("asked for a refund twice"));
    auto combos = dialog.findChildren<QComboBox*>();
    QCOMPARE(combos.size(), 2);
    combos[0]->setCurrentIndex(2);
    combos[1]->setCurrentIndex(1);
    const Venue::EntryRequest request = dialog.Request();
    QCOMPARE(request.list, Venue::ListKind::Flagged);
    QCOMPARE(request.reason, Venue::Reason::FakeId);
    QCOMPARE(request.scope, Venue::Scope::Group);
    QCOMPARE(request.until, std::string("2026-12-08"));
    QCOMPARE(request.note, std::string("asked for a refund twice"));
}

void VenueDialogsTest::listsSearchByNameAndLift() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Venue::VenueConfig config;
    config.venue = "north";
    config.station = "door-1";
    config.keyFile = dir.filePath(QStringLiteral("venue.key")).toStdString();
    std::string error;
    QVERIFY(Venue::IdentityKey::Create(config.keyFile, error));
    Venue::VenueDesk desk(config, dir.filePath(QStringLiteral("venue.db")).toStdString(), Venue::NowMicros);
    const MagneticStripeCards::FixedClock clock(2026, 3, 10, 14, 5, 33);
    for (const char* name : {"aamva/expired_yesterday.txt", "stripe/non_expiring.txt"}) {
        const MagneticStripeCards::Card card(Scan(name), clock);
        desk.RecordCard(card, Venue::Verdict::Ok);
        Venue::EntryRequest request;
        request.until = QDate::currentDate().addDays(10).toString(Qt::ISODate).toStdString();
        QVERIFY2(desk.AddForLastCard(request, error), error.c_str());
    }
    int asked = 0;
    Venue::ListsDialog dialog(desk, nullptr, [&asked](QWidget*) {
        ++asked;
        return QStringLiteral("appeal granted");
    });
    QCOMPARE(dialog.RowCount(), 2);
    dialog.Search(QStringLiteral("morales"));
    QCOMPARE(dialog.RowCount(), 1);
    const QString id = dialog.IdAt(0);
    QVERIFY(dialog.LiftSelected());
    QCOMPARE(asked, 1);
    for (const Venue::ListEntry& entry : desk.Entries())
        QCOMPARE(entry.liftedAt.has_value(), QString::fromStdString(entry.id) == id);
    dialog.Search(QStringLiteral("nobody"));
    QCOMPARE(dialog.RowCount(), 0);
    QVERIFY(!dialog.LiftSelected());
    QCOMPARE(asked, 1);
}

QTEST_MAIN(VenueDialogsTest)
#include "VenueDialogsTest.moc"
