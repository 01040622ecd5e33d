#pragma once
// Runs one ReaderSession over one transport: open, send the establishment, answer each message as the
// session says, close with the session's last message, and report one MdlOutcome by finished().
// A phone that goes silent is given up after the timeout. Lives on the worker thread of the session,
// with its transport, so that the station's window never waits for a phone.

#include "MdocTransport.h"
#include "ReaderSession.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

namespace Mdl {

class MdlSessionRunner final : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 15000;

    MdlSessionRunner(ReaderSession session, std::unique_ptr<MdocTransport> transport, int timeoutMs = kDefaultTimeoutMs,
                     QObject* parent = nullptr);
    ~MdlSessionRunner() override;

    void Start();
    // Ends the session now (Esc, a new scan); finished() is not emitted after this.
    void Cancel();
    qint64 ElapsedMs() const { return m_elapsed.elapsed(); }

signals:
    void finished(const Mdl::MdlOutcome& outcome);

private:
    void OnConnected();
    void OnMessage(const QByteArray& message);
    void Finish(const MdlOutcome& outcome);

    ReaderSession m_session;
    std::unique_ptr<MdocTransport> m_transport;
    QTimer m_timeout;
    QElapsedTimer m_elapsed;
    bool m_done = false;
};

} // namespace Mdl

Q_DECLARE_METATYPE(Mdl::MdlOutcome)
