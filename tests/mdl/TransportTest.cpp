// The GATT framing as pure functions, and whole sessions over a socket pair with a fake phone that
// speaks the same framing: MTU chunking both ways, the start and end on State, status 20, and the
// phone that breaks off midway, sends a bad chunk, ends early or never answers.

#include "FakeHolderPeer.h"
#include "PkiSuite.h"
#include "RowName.h"
#include "SessionRun.h"

#include "BleFraming.h"
#include "MdlCrypto.h"
#include "MdlSessionRunner.h"
#include "MdlStationSession.h"
#include "MdocTransportFactory.h"
#include "SocketGattTransport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#ifdef KESTRIN_HAVE_BLUETOOTH
#include <QBluetoothLocalDevice>
#endif

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <iostream>

namespace MdlTests {
namespace {

using namespace Mdl;

struct ChunkRow {
    std::string name;
    int mtu;
    qsizetype messageSize;
    qsizetype chunks;
    int largestValue;
};

class Chunking : public ::testing::TestWithParam<ChunkRow> {};

TEST_P(Chunking, SplitsWithinTheValueSizeAndReassemblesExactly) {
    const ChunkRow& row = GetParam();
    QByteArray message(row.messageSize, '\0');
    for (qsizetype i = 0; i < message.size(); ++i)
        message[i] = static_cast<char>(i * 7);
    const QList<QByteArray> values = BleFraming::Chunk(message, row.mtu);
    EXPECT_EQ(values.size(), row.chunks);
    int largest = 0;
    BleReassembler reassembler(row.mtu);
    for (qsizetype i = 0; i < values.size(); ++i) {
        largest = std::max(largest, static_cast<int>(values.at(i).size()));
        const auto result = reassembler.Feed(values.at(i));
        EXPECT_EQ(result, i + 1 < values.size() ? BleReassembler::Result::More : BleReassembler::Result::Complete);
    }
    EXPECT_EQ(largest, row.largestValue);
    EXPECT_EQ(reassembler.TakeMessage(), message);
}

INSTANTIATE_TEST_SUITE_P(Messages, Chunking,
                         ::testing::Values(ChunkRow{"empty_message", 23, 0, 1, 1},
                                           ChunkRow{"fills_one_chunk_at_mtu_23", 23, 19, 1, 20},
                                           ChunkRow{"one_byte_over_one_chunk", 23, 20, 2, 20},
                                           ChunkRow{"annex_d_session_data_at_mtu_23", 23, 3587, 189, 20},
                                           ChunkRow{"annex_d_session_data_at_mtu_185", 185, 3587, 20, 182},
                                           ChunkRow{"mtu_517_is_capped_at_512", 517, 1022, 2, 512},
                                           ChunkRow{"mtu_below_default_counts_as_23", 10, 40, 3, 20}),
                         RowName());

struct BadStreamRow {
    std::string name;
    QList<QByteArray> values;
    BleReassembler::Result last;
    bool stillInMessage;
};

class BrokenStreams : public ::testing::TestWithParam<BadStreamRow> {};

TEST_P(BrokenStreams, AreNotTakenForMessages) {
    BleReassembler reassembler(23);
    BleReassembler::Result result = BleReassembler::Result::More;
    for (const QByteArray& value : GetParam().values)
        result = reassembler.Feed(value);
    EXPECT_EQ(result, GetParam().last);
    EXPECT_EQ(reassembler.InMessage(), GetParam().stillInMessage);
    EXPECT_TRUE(reassembler.TakeMessage().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Streams, BrokenStreams,
                         ::testing::Values(
                             BadStreamRow{
                                 "flag_byte_2", {QByteArray::fromHex("02aabb")}, BleReassembler::Result::Error, false},
                             BadStreamRow{"value_longer_than_mtu_minus_3",
                                          {QByteArray(1, '\0') + QByteArray(20, 'x')},
                                          BleReassembler::Result::Error,
                                          false},
                             BadStreamRow{"empty_value", {QByteArray()}, BleReassembler::Result::Error, false},
                             BadStreamRow{"ends_without_a_last_chunk",
                                          {QByteArray::fromHex("01aa"), QByteArray::fromHex("01bb")},
                                          BleReassembler::Result::More,
                                          true},
                             BadStreamRow{"bad_flag_after_good_chunks",
                                          {QByteArray::fromHex("01aa"), QByteArray::fromHex("7fbb")},
                                          BleReassembler::Result::Error,
                                          false}),
                         RowName());

class SocketSessions : public PkiSuite {
protected:
    static IssueOptions Options() {
        IssueOptions options;
        options.elements = TestIssuer::DoorElements(true);
        options.validFrom = std::time(nullptr) - 3600;
        options.validUntil = std::time(nullptr) + 3600;
        return options;
    }

    struct Ran : SessionRun {
        QList<QByteArray> stateValues;
        int chunksSent = 0;
        int largestValue = 0;
    };

    static Ran Run(FakeHolder& holder, int mtu, FakeHolderPeer::Faults faults, int timeoutMs = 5000) {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds), 0);
        FakeHolderPeer peer(Base::UniqueFd(fds[1]), holder, mtu, faults);
        const auto engagement = DeviceEngagement::Parse(holder.EngagementBytes());
        Ran ran;
        static_cast<SessionRun&>(ran) = RunSession(
            *engagement, std::make_unique<SocketGattTransport>(Base::UniqueFd(fds[0]), mtu), *s_trust, timeoutMs);
        // Let the phone read what the station wrote last (status 20, State end).
        QEventLoop settle;
        QTimer::singleShot(50, &settle, &QEventLoop::quit);
        settle.exec();
        ran.stateValues = peer.stateValues;
        ran.chunksSent = peer.chunksSent;
        ran.largestValue = peer.largestValue;
        return ran;
    }
};

class SocketMtu : public SocketSessions, public ::testing::WithParamInterface<int> {};

TEST_P(SocketMtu, AWholeSessionEndsVerifiedWithStatus20AndStateEnd) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Options());
    const int mtu = GetParam();
    const Ran ran = Run(holder, mtu, {});
    ASSERT_TRUE(ran.outcome);
    EXPECT_TRUE(ran.outcome->Verified()) << ran.outcome->failureReason.toStdString();
    EXPECT_EQ(ran.outcome->age, MdlOutcome::Age::Over);
    EXPECT_EQ(ran.stateValues, (QList<QByteArray>{QByteArray(1, '\x01'), QByteArray(1, '\x02')}));
    EXPECT_EQ(holder.endStatus, std::optional<qint64>(20));
    const int part = BleFraming::MaxValue(mtu) - 1;
    const QByteArray reply = holder.responses.first();
    EXPECT_GE(ran.chunksSent, (reply.size() + part - 1) / part) << "the answer came in chunks of the MTU";
    EXPECT_EQ(ran.largestValue, BleFraming::MaxValue(mtu));
    std::cout << "[ measured ] session with the fake holder at MTU " << mtu << ": " << ran.elapsedMs << " ms, "
              << ran.chunksSent << " chunks\n";
}

INSTANTIATE_TEST_SUITE_P(Mtus, SocketMtu, ::testing::Values(23, 185, 517));

struct FaultRow {
    std::string name;
    FakeHolderPeer::Faults faults;
    QString reason;
    int timeoutMs;
};

class SocketFaults : public SocketSessions, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(SocketFaults, EndWithAReasonAndNoVerdict) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Options());
    const Ran ran = Run(holder, 23, GetParam().faults, GetParam().timeoutMs);
    ASSERT_TRUE(ran.outcome);
    EXPECT_FALSE(ran.outcome->Verified());
    EXPECT_EQ(ran.outcome->age, MdlOutcome::Age::Unknown);
    EXPECT_EQ(ran.outcome->failureReason, GetParam().reason);
}

FakeHolderPeer::Faults Fault(std::function<void(FakeHolderPeer::Faults&)> set) {
    FakeHolderPeer::Faults faults;
    set(faults);
    return faults;
}

INSTANTIATE_TEST_SUITE_P(
    Phones, SocketFaults,
    ::testing::Values(FaultRow{"disconnects_midway", Fault([](auto& f) { f.disconnectAfterChunks = 5; }),
                               QStringLiteral("The phone disconnected."), 5000},
                      FaultRow{"bad_flag_byte", Fault([](auto& f) { f.badFlagByte = true; }),
                               QStringLiteral("The phone sent a broken message."), 5000},
                      FaultRow{"oversize_value", Fault([](auto& f) { f.oversizeValue = true; }),
                               QStringLiteral("The phone sent a broken message."), 5000},
                      FaultRow{"ends_before_answering", Fault([](auto& f) { f.endBeforeAnswering = true; }),
                               QStringLiteral("The phone ended the session."), 5000},
                      FaultRow{"never_answers", Fault([](auto& f) { f.silent = true; }),
                               QStringLiteral("The phone did not answer in time."), 300}),
    RowName());

TEST_F(SocketSessions, AStationWithoutAdapterSaysSoInsteadOfWaiting) {
#ifdef KESTRIN_HAVE_BLUETOOTH
    if (!QBluetoothLocalDevice::allDevices().isEmpty())
        GTEST_SKIP() << "this machine has a Bluetooth adapter";
#endif
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Options());
    const auto engagement = DeviceEngagement::Parse(holder.EngagementBytes());
    ReaderSession::Settings settings;
    settings.trust = s_trust.get();
    auto session = ReaderSession::Start(*engagement, MdlCrypto::GenerateEcKey(NID_X9_62_prime256v1), settings);
    MdlSessionRunner runner(std::move(*session), MdocTransportFactory::ForEngagement(*engagement), 10000);
    std::optional<MdlOutcome> outcome;
    QEventLoop loop;
    QObject::connect(&runner, &MdlSessionRunner::finished, [&](const MdlOutcome& o) {
        outcome = o;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    runner.Start();
    loop.exec();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->failureReason, QStringLiteral("No Bluetooth adapter"));
    EXPECT_LT(runner.ElapsedMs(), 5000) << "not the session timeout";
}

// The station's session as the window uses it: on a worker thread, the phone here on the test's thread.
class StationSessions : public SocketSessions {
protected:
    void SetUp() override {
        SocketSessions::SetUp();
        QFile::copy(s_pki->Path(QStringLiteral("iaca.pem")), m_trust.filePath(QStringLiteral("iaca.pem")));
    }

    std::unique_ptr<MdlStationSession> Start(FakeHolder& holder, int& holderFd) {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds), 0);
        holderFd = fds[1];
        MdlStationSession::Request request;
        request.engagementText = holder.EngagementText();
        request.trustFolder = m_trust.path();
        const int stationFd = fds[0];
        request.transport = [stationFd](const DeviceEngagement&) {
            return std::make_unique<SocketGattTransport>(Base::UniqueFd(stationFd), 185);
        };
        return std::make_unique<MdlStationSession>(request);
    }

    static void Settle(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    QTemporaryDir m_trust;
};

TEST_F(StationSessions, RunOnAWorkerThreadAndReportOnTheWindowsThread) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Options());
    int holderFd = -1;
    std::unique_ptr<MdlStationSession> session = Start(holder, holderFd);
    FakeHolderPeer peer(Base::UniqueFd(holderFd), holder, 185, {});
    const StationRun ran = WaitForStation(*session);
    ASSERT_TRUE(ran.outcome);
    EXPECT_TRUE(ran.outcome->Verified()) << ran.outcome->failureReason.toStdString();
    EXPECT_EQ(ran.outcome->age, MdlOutcome::Age::Over);
    EXPECT_EQ(ran.reportedOn, QThread::currentThread());
    std::cout << "[ measured ] station session (worker thread, fake holder, MTU 185), scan end to verdict: "
              << ran.elapsedMs << " ms\n";
    session.reset();
    Settle(50);
    EXPECT_EQ(holder.endStatus, std::optional<qint64>(20));
}

TEST_F(StationSessions, EndWhenTheStationDropsThemAndTellThePhone) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Options());
    int holderFd = -1;
    std::unique_ptr<MdlStationSession> session = Start(holder, holderFd);
    FakeHolderPeer::Faults silent;
    silent.silent = true;
    FakeHolderPeer peer(Base::UniqueFd(holderFd), holder, 185, silent);
    bool finished = false;
    QObject::connect(session.get(), &MdlStationSession::finished, [&] { finished = true; });
    Settle(200);     // the request is out, the phone keeps quiet
    session.reset(); // Esc or a new scan
    Settle(50);
    EXPECT_FALSE(finished);
    EXPECT_EQ(holder.endStatus, std::optional<qint64>(20));
    ASSERT_FALSE(peer.stateValues.isEmpty());
    EXPECT_EQ(peer.stateValues.last(), QByteArray(1, '\x02'));
}

} // namespace
} // namespace MdlTests

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
