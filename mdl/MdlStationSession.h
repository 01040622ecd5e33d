#pragma once
// One mobile-licence session for the station, on a worker thread of its own so that the window never
// waits for a phone:
//   scan text "mdoc:..." --> (worker) engagement, trust folder, ReaderSession, transport, runner
//                        --> finished(outcome) delivered on the thread that made this object
// Destroying it (Esc, a new scan, the window closing) ends the session on its thread and joins it.

#include "MdlOutcome.h"
#include "MdocTransport.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>

namespace Mdl {

class DeviceEngagement;
class MdlSessionWorker;

class MdlStationSession final : public QObject {
    Q_OBJECT
public:
    using TransportMaker = std::function<std::unique_ptr<MdocTransport>(const DeviceEngagement&)>;

    struct Request {
        QString engagementText;
        int validAge = 21;
        QString trustFolder;
        TransportMaker transport; // empty: MdocTransportFactory
        int timeoutMs = 15000;
    };

    explicit MdlStationSession(Request request, QObject* parent = nullptr);
    ~MdlStationSession() override;

signals:
    void finished(const Mdl::MdlOutcome& outcome, bool trustListOutOfDate, qint64 elapsedMs);

private:
    QThread m_thread;
    std::unique_ptr<MdlSessionWorker> m_worker;
};

} // namespace Mdl
