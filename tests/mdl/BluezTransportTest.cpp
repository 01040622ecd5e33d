// mdoc central client mode end to end over D-Bus: the station's GATT application and advertisement
// against a stand-in for bluetoothd on a private dbus-daemon, with a fake phone that connects through it
// and answers with the test issuer's licence. Whole sessions at several MTUs, the phone or bluetoothd
// going away or refusing, and the session on the station's worker thread.

#include "FakeBluez.h"
#include "PkiSuite.h"
#include "PrivateDbusDaemon.h"
#include "RowName.h"
#include "SessionRun.h"

#include "BleFraming.h"
#include "BluezGattServerTransport.h"
#include "MdlCrypto.h"
#include "MdlSessionRunner.h"
#include "MdlStationSession.h"
#include "MdocTransportFactory.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>

namespace MdlTests {
namespace {

using namespace Mdl;

const QString kServiceUuid =
    QUuid::fromRfc4122(QByteArray::fromHex(FakeHolder::kServiceUuidHex)).toString(QUuid::WithoutBraces);

void Settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

using Ran = SessionRun;

class BluezSessions : public PkiSuite {
protected:
    void SetUp() override {
        PkiSuite::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_FALSE(m_bus.Address().isEmpty()) << m_bus.Error().toStdString();
    }

    static IssueOptions Licence() {
        IssueOptions options;
        options.elements = TestIssuer::DoorElements(true);
        options.validFrom = std::time(nullptr) - 3600;
        options.validUntil = std::time(nullptr) + 3600;
        return options;
    }

    static FakeBluez::Options Bluetoothd(std::function<void(FakeBluez::Options&)> change = {}) {
        FakeBluez::Options options;
        options.serviceUuid = kServiceUuid;
        if (change)
            change(options);
        return options;
    }

    // One session through the factory's transport (as the station picks it) on this thread.
    Ran Run(FakeHolder& holder, int timeoutMs = 5000) {
        const auto engagement = DeviceEngagement::Parse(holder.EngagementBytes());
        const Ran ran = RunSession(*engagement, MdocTransportFactory::ForEngagement(*engagement, m_bus.Address()),
                                   *s_trust, timeoutMs);
        Settle(100); // the station's last notifications and unregistrations reach bluetoothd
        return ran;
    }

    PrivateDbusDaemon m_bus;
};

class BluezMtu : public BluezSessions, public ::testing::WithParamInterface<int> {};

TEST_P(BluezMtu, AWholeSessionEndsVerifiedWithStatus20StateEndAndNothingLeftRegistered) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Licence(), FakeHolder::BleModes::CentralClient);
    FakeCentralPhone::Setup phone;
    phone.mtu = GetParam();
    FakeBluez bluez(m_bus.Address(), holder, Bluetoothd(), phone);
    ASSERT_TRUE(bluez.Ok());

    const Ran ran = Run(holder);

    ASSERT_TRUE(ran.outcome);
    EXPECT_TRUE(ran.outcome->Verified()) << ran.outcome->failureReason.toStdString();
    EXPECT_EQ(ran.outcome->age, MdlOutcome::Age::Over);
    EXPECT_EQ(holder.endStatus, std::optional<qint64>(20));
    ASSERT_TRUE(bluez.phone);
    EXPECT_EQ(bluez.phone->stateValues, QList<QByteArray>{QByteArray(1, '\x02')});
    EXPECT_EQ(bluez.advertisementType, QStringLiteral("peripheral"));
    EXPECT_EQ(bluez.advertisedUuids, QStringList{kServiceUuid});
    EXPECT_EQ(bluez.applicationsUnregistered, 1);
    EXPECT_EQ(bluez.advertisementsUnregistered, 1);
    const auto engagement = DeviceEngagement::Parse(holder.EngagementBytes());
    EXPECT_EQ(bluez.phone->ident.toHex(),
              MdlCrypto::HkdfSha256(engagement->EDeviceKeyBytes(), {}, "BLEIdent", 16).toHex());

    // The answer came back in the phone's chunks, and the station's chunks kept to the phone's MTU.
    EXPECT_EQ(bluez.phone->brokenValues, 0);
    const qsizetype part = BleFraming::MaxValue(GetParam()) - 1;
    qsizetype expectedChunks = 0;
    for (const qsizetype size : bluez.phone->messageSizes)
        expectedChunks += std::max<qsizetype>(1, (size + part - 1) / part);
    ASSERT_EQ(bluez.phone->messageSizes.size(), 2) << "the establishment and the closing status";
    EXPECT_EQ(bluez.phone->chunksReceived, expectedChunks);
    const qsizetype largestMessage =
        *std::max_element(bluez.phone->messageSizes.begin(), bluez.phone->messageSizes.end());
    EXPECT_EQ(bluez.phone->largestValue, std::min<qsizetype>(BleFraming::MaxValue(GetParam()), largestMessage + 1));
    std::cout << "[ measured ] central client session over D-Bus at MTU " << GetParam() << ": " << ran.elapsedMs
              << " ms, " << bluez.phone->chunksReceived << " notified chunks\n";
}

INSTANTIATE_TEST_SUITE_P(Mtus, BluezMtu, ::testing::Values(23, 185, 517));

TEST_F(BluezSessions, TheServiceCarriesTheCharacteristicsWithTheirGattFlags) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Licence(), FakeHolder::BleModes::CentralClient);
    FakeBluez bluez(m_bus.Address(), holder, Bluetoothd(), {});
    ASSERT_TRUE(bluez.Ok());
    Run(holder);
    const QString suffix = QStringLiteral("-a123-48ce-896b-4c76973373e6");
    const QMap<QString, QStringList> expected{
        {QStringLiteral("00000005") + suffix, {QStringLiteral("notify"), QStringLiteral("write-without-response")}},
        {QStringLiteral("00000006") + suffix, {QStringLiteral("write-without-response")}},
        {QStringLiteral("00000007") + suffix, {QStringLiteral("notify")}},
        {QStringLiteral("00000008") + suffix, {QStringLiteral("read")}}};
    EXPECT_EQ(bluez.flags, expected);
}

struct FaultRow {
    std::string name;
    bool bluetoothd;
    std::function<void(FakeBluez::Options&)> daemon;
    std::function<void(FakeCentralPhone::Setup&)> phone;
    QString reason;
    int timeoutMs = 5000;
    bool bluetoothdStays = true; // so whatever the station registered must have been unregistered
};

void PrintTo(const FaultRow& row, std::ostream* out) {
    *out << row.name;
}

class BluezFaults : public BluezSessions, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(BluezFaults, EndWithAReasonLeaveNothingRegisteredAndDoNotWaitForTheTimeout) {
    const FaultRow& row = GetParam();
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Licence(), FakeHolder::BleModes::CentralClient);
    FakeCentralPhone::Setup phone;
    phone.mtu = 23;
    if (row.phone)
        row.phone(phone);
    std::unique_ptr<FakeBluez> bluez;
    if (row.bluetoothd) {
        bluez = std::make_unique<FakeBluez>(m_bus.Address(), holder, Bluetoothd(row.daemon), phone);
        ASSERT_TRUE(bluez->Ok());
    }

    const Ran ran = Run(holder, row.timeoutMs);

    ASSERT_TRUE(ran.outcome);
    EXPECT_FALSE(ran.outcome->Verified());
    EXPECT_EQ(ran.outcome->age, MdlOutcome::Age::Unknown);
    EXPECT_EQ(ran.outcome->failureReason, row.reason);
    if (row.timeoutMs >= 5000) {
        EXPECT_LT(ran.elapsedMs, 4000) << "ended by the fault, not by the session's timeout";
    }
    if (bluez && row.bluetoothdStays) {
        EXPECT_EQ(bluez->applicationsUnregistered, bluez->applicationsRegistered);
        EXPECT_EQ(bluez->advertisementsUnregistered, bluez->advertisementsRegistered);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Phones, BluezFaults,
    ::testing::Values(FaultRow{"phone_disconnects_midway",
                               true,
                               {},
                               [](auto& p) { p.disconnectAfterChunks = 3; },
                               QStringLiteral("The phone disconnected.")},
                      FaultRow{"phone_drops_its_subscription",
                               true,
                               {},
                               [](auto& p) { p.unsubscribeAfterChunks = 3; },
                               QStringLiteral("The phone disconnected.")},
                      FaultRow{"phone_ends_before_answering",
                               true,
                               {},
                               [](auto& p) { p.endBeforeAnswering = true; },
                               QStringLiteral("The phone ended the session.")},
                      FaultRow{"phone_never_answers",
                               true,
                               {},
                               [](auto& p) { p.silent = true; },
                               QStringLiteral("The phone did not answer in time."),
                               500},
                      FaultRow{"no_org_bluez_on_the_bus", false, {}, {}, QStringLiteral("No Bluetooth adapter")},
                      FaultRow{"bluez_without_a_gatt_manager",
                               true,
                               [](auto& d) { d.gattManager = false; },
                               {},
                               QStringLiteral("No Bluetooth adapter")},
                      FaultRow{"adapter_switched_off",
                               true,
                               [](auto& d) { d.powered = false; },
                               {},
                               QStringLiteral("The Bluetooth adapter is switched off.")},
                      FaultRow{"bluez_refuses_the_application",
                               true,
                               [](auto& d) { d.refuseApplication = true; },
                               {},
                               QStringLiteral("Bluetooth: Application already registered")},
                      FaultRow{"ends_while_bluez_has_not_answered_the_registration",
                               true,
                               [](auto& d) { d.holdApplication = true; },
                               {},
                               QStringLiteral("The phone did not answer in time."),
                               300},
                      FaultRow{"bluetoothd_stops_midway",
                               true,
                               {},
                               [](auto& p) { p.bluetoothdStopsAfterChunks = 3; },
                               QStringLiteral("Bluetooth stopped during the session."),
                               5000,
                               false}),
    RowName());

struct FactoryRow {
    std::string name;
    FakeHolder::BleModes modes;
    bool overDBus;
};

class FactoryChoice : public BluezSessions, public ::testing::WithParamInterface<FactoryRow> {};

// Peripheral server mode stays with Qt Bluetooth (preferred when the phone offers both); only a phone that
// offers central client mode alone is served as GATT server.
TEST_P(FactoryChoice, CentralClientModeAloneGoesOverBlueZ) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Licence(), GetParam().modes);
    const auto engagement = DeviceEngagement::Parse(holder.EngagementBytes());
    ASSERT_TRUE(engagement);
    const auto transport = MdocTransportFactory::ForEngagement(*engagement, m_bus.Address());
    EXPECT_EQ(dynamic_cast<BluezGattServerTransport*>(transport.get()) != nullptr, GetParam().overDBus);
}

INSTANTIATE_TEST_SUITE_P(Engagements, FactoryChoice,
                         ::testing::Values(FactoryRow{"central_client_only", FakeHolder::BleModes::CentralClient, true},
                                           FactoryRow{"both_modes", FakeHolder::BleModes::Both, false},
                                           FactoryRow{"peripheral_server_only", FakeHolder::BleModes::PeripheralServer,
                                                      false}),
                         RowName());

// The station's session as the window runs it: D-Bus work on the worker thread, bluetoothd and the phone
// here on the test's thread.
class BluezStationSessions : public BluezSessions {
protected:
    std::unique_ptr<MdlStationSession> Start(FakeHolder& holder) {
        QFile::copy(s_pki->Path(QStringLiteral("iaca.pem")), m_trust.filePath(QStringLiteral("iaca.pem")));
        MdlStationSession::Request request;
        request.engagementText = holder.EngagementText();
        request.trustFolder = m_trust.path();
        const QString address = m_bus.Address();
        request.transport = [address](const DeviceEngagement& engagement) {
            return MdocTransportFactory::ForEngagement(engagement, address);
        };
        return std::make_unique<MdlStationSession>(request);
    }

    QTemporaryDir m_trust;
};

TEST_F(BluezStationSessions, RunOnTheWorkerThreadAndEndVerified) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Licence(), FakeHolder::BleModes::CentralClient);
    FakeBluez bluez(m_bus.Address(), holder, Bluetoothd(), {});
    ASSERT_TRUE(bluez.Ok());
    std::unique_ptr<MdlStationSession> session = Start(holder);
    const StationRun ran = WaitForStation(*session);
    ASSERT_TRUE(ran.outcome);
    EXPECT_TRUE(ran.outcome->Verified()) << ran.outcome->failureReason.toStdString();
    std::cout << "[ measured ] station session over D-Bus (worker thread, MTU 185), scan end to verdict: "
              << ran.elapsedMs << " ms\n";
    session.reset();
    Settle(100);
    EXPECT_EQ(holder.endStatus, std::optional<qint64>(20));
    EXPECT_EQ(bluez.applicationsUnregistered, 1);
    EXPECT_EQ(bluez.advertisementsUnregistered, 1);
}

TEST_F(BluezStationSessions, EndedByTheStationTellTheSilentPhoneAndUnregister) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Licence(), FakeHolder::BleModes::CentralClient);
    FakeCentralPhone::Setup silent;
    silent.silent = true;
    FakeBluez bluez(m_bus.Address(), holder, Bluetoothd(), silent);
    ASSERT_TRUE(bluez.Ok());
    std::unique_ptr<MdlStationSession> session = Start(holder);
    bool finished = false;
    QObject::connect(session.get(), &MdlStationSession::finished, [&] { finished = true; });
    Settle(300);     // the request is out, the phone keeps quiet
    session.reset(); // Esc or a new scan
    Settle(100);
    EXPECT_FALSE(finished);
    EXPECT_EQ(holder.endStatus, std::optional<qint64>(20));
    ASSERT_TRUE(bluez.phone);
    EXPECT_EQ(bluez.phone->stateValues, QList<QByteArray>{QByteArray(1, '\x02')});
    EXPECT_EQ(bluez.applicationsUnregistered, 1);
    EXPECT_EQ(bluez.advertisementsUnregistered, 1);
}

} // namespace
} // namespace MdlTests

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
