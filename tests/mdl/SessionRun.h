#pragma once
// One reader session over a transport, run on the calling thread's event loop as the station's worker
// runs it, checked against a suite's trust store: what the transport tests (socket pair, BlueZ) drive.

#include "DeviceEngagement.h"
#include "MdlCrypto.h"
#include "MdlOutcome.h"
#include "MdlSessionRunner.h"
#include "MdlStationSession.h"
#include "MdocTransport.h"
#include "ReaderSession.h"
#include "TrustStore.h"

#include <QDate>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <openssl/obj_mac.h>

#include <ctime>
#include <memory>
#include <optional>
#include <utility>

namespace MdlTests {

struct SessionRun {
    std::optional<Mdl::MdlOutcome> outcome; // none when the session had not ended after 20 s
    qint64 elapsedMs = 0;
};

inline SessionRun RunSession(const Mdl::DeviceEngagement& engagement, std::unique_ptr<Mdl::MdocTransport> transport,
                             const Mdl::TrustStore& trust, int timeoutMs) {
    Mdl::ReaderSession::Settings settings;
    settings.trust = &trust;
    settings.now = std::time(nullptr);
    settings.today = QDate::currentDate();
    auto session = Mdl::ReaderSession::Start(engagement, Mdl::MdlCrypto::GenerateEcKey(NID_X9_62_prime256v1), settings);
    SessionRun ran;
    Mdl::MdlSessionRunner runner(std::move(*session), std::move(transport), timeoutMs);
    QEventLoop loop;
    QObject::connect(&runner, &Mdl::MdlSessionRunner::finished, [&](const Mdl::MdlOutcome& outcome) {
        ran.outcome = outcome;
        ran.elapsedMs = runner.ElapsedMs();
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    runner.Start();
    if (!ran.outcome)
        loop.exec();
    return ran;
}

// What a station session (on its worker thread) reported: its outcome (none when it had not ended after
// 20 s), the time it gave from the scan to the verdict, and the thread it reported on.
struct StationRun {
    std::optional<Mdl::MdlOutcome> outcome;
    qint64 elapsedMs = 0;
    QThread* reportedOn = nullptr;
};

inline StationRun WaitForStation(Mdl::MdlStationSession& session) {
    StationRun ran;
    QEventLoop loop;
    QObject::connect(&session, &Mdl::MdlStationSession::finished, [&](const Mdl::MdlOutcome& o, bool, qint64 ms) {
        ran.outcome = o;
        ran.elapsedMs = ms;
        ran.reportedOn = QThread::currentThread();
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return ran;
}

} // namespace MdlTests
