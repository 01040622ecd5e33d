#pragma once
// The part of a station session that lives on its worker thread (see MdlStationSession): builds the
// session from the scan text and runs it; Stop() ends it there.

#include "MdlSessionRunner.h"
#include "MdlStationSession.h"

#include <QElapsedTimer>

namespace Mdl {

class MdlSessionWorker final : public QObject {
    Q_OBJECT
public:
    explicit MdlSessionWorker(MdlStationSession::Request request);
    ~MdlSessionWorker() override;

    void Run();
    void Stop();

signals:
    void done(const Mdl::MdlOutcome& outcome, bool trustListOutOfDate, qint64 elapsedMs);

private:
    void Report(const MdlOutcome& outcome);

    MdlStationSession::Request m_request;
    std::unique_ptr<MdlSessionRunner> m_runner;
    QElapsedTimer m_elapsed;
    bool m_outOfDate = false;
};

} // namespace Mdl
