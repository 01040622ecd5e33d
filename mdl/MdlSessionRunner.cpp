#include "MdlSessionRunner.h"

#include <utility>

namespace Mdl {

MdlSessionRunner::MdlSessionRunner(ReaderSession session, std::unique_ptr<MdocTransport> transport, int timeoutMs,
                                   QObject* parent)
    : QObject(parent), m_session(std::move(session)), m_transport(std::move(transport)) {
    qRegisterMetaType<Mdl::MdlOutcome>();
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeoutMs);
    connect(&m_timeout, &QTimer::timeout, this,
            [this] { Finish(MdlOutcome::SessionFailure(QStringLiteral("The phone did not answer in time."))); });
    connect(m_transport.get(), &MdocTransport::connected, this, &MdlSessionRunner::OnConnected);
    connect(m_transport.get(), &MdocTransport::messageReceived, this, &MdlSessionRunner::OnMessage);
    connect(m_transport.get(), &MdocTransport::failed, this,
            [this](const QString& reason) { Finish(MdlOutcome::SessionFailure(reason)); });
}

MdlSessionRunner::~MdlSessionRunner() {
    if (!m_done)
        m_transport->Close();
}

void MdlSessionRunner::Start() {
    m_elapsed.start();
    m_timeout.start();
    m_transport->Open();
}

void MdlSessionRunner::Cancel() {
    if (m_done)
        return;
    m_done = true;
    m_timeout.stop();
    m_transport->Send(ReaderSession::StatusMessage(ReaderSession::kStatusTermination));
    m_transport->Close();
}

void MdlSessionRunner::OnConnected() {
    if (!m_done)
        m_transport->Send(m_session.Establishment());
}

void MdlSessionRunner::OnMessage(const QByteArray& message) {
    if (m_done)
        return;
    ReaderStep step = m_session.OnMessage(message);
    if (!step.send.isEmpty())
        m_transport->Send(step.send);
    if (step.outcome)
        Finish(*step.outcome);
}

void MdlSessionRunner::Finish(const MdlOutcome& outcome) {
    if (m_done)
        return;
    m_done = true;
    m_timeout.stop();
    m_transport->Close();
    emit finished(outcome);
}

} // namespace Mdl
