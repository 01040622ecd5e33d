#include "MdlSessionWorker.h"

#include "DeviceEngagement.h"
#include "MdlCrypto.h"
#include "MdocTransportFactory.h"
#include "TrustFolder.h"

#include <QDateTime>

#include <utility>

namespace Mdl {

MdlSessionWorker::MdlSessionWorker(MdlStationSession::Request request) : m_request(std::move(request)) {
    m_elapsed.start(); // from the end of the scan
}

MdlSessionWorker::~MdlSessionWorker() = default;

void MdlSessionWorker::Report(const MdlOutcome& outcome) {
    emit done(outcome, m_outOfDate, m_elapsed.elapsed());
}

void MdlSessionWorker::Run() {
    const auto bytes = DeviceEngagement::BytesFromText(m_request.engagementText);
    const auto engagement = bytes ? DeviceEngagement::Parse(*bytes) : std::nullopt;
    if (!engagement) {
        Report(MdlOutcome::SessionFailure(QStringLiteral("The phone's code cannot be read.")));
        return;
    }
    const std::time_t now = QDateTime::currentSecsSinceEpoch();
    // The trust store is this session's own: read on the worker, never shared with the window's thread.
    auto trust = std::make_shared<TrustFolderState>(TrustFolder::Load(m_request.trustFolder, now));
    m_outOfDate = trust->listOutOfDate;
    ReaderSession::Settings settings;
    settings.trust = &trust->store;
    settings.validAge = m_request.validAge;
    settings.now = now;
    settings.today = QDate::currentDate();
    auto session = ReaderSession::Start(*engagement, MdlCrypto::GenerateEcKey(NID_X9_62_prime256v1), settings);
    if (!session) {
        Report(MdlOutcome::SessionFailure(QStringLiteral("The phone's key cannot be used.")));
        return;
    }
    auto transport =
        m_request.transport ? m_request.transport(*engagement) : MdocTransportFactory::ForEngagement(*engagement);
    m_runner = std::make_unique<MdlSessionRunner>(std::move(*session), std::move(transport), m_request.timeoutMs);
    connect(m_runner.get(), &MdlSessionRunner::finished, this, [this, trust](const MdlOutcome& outcome) {
        Report(outcome);
        Q_UNUSED(trust); // kept alive until the session has ended
    });
    m_runner->Start();
}

void MdlSessionWorker::Stop() {
    if (m_runner)
        m_runner->Cancel();
    m_runner.reset();
}

} // namespace Mdl
