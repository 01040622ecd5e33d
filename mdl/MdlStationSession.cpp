#include "MdlStationSession.h"

#include "MdlSessionWorker.h"

#include <utility>

namespace Mdl {

MdlStationSession::MdlStationSession(Request request, QObject* parent)
    : QObject(parent), m_worker(std::make_unique<MdlSessionWorker>(std::move(request))) {
    qRegisterMetaType<Mdl::MdlOutcome>();
    m_worker->moveToThread(&m_thread);
    connect(m_worker.get(), &MdlSessionWorker::done, this, &MdlStationSession::finished, Qt::QueuedConnection);
    connect(&m_thread, &QThread::started, m_worker.get(), &MdlSessionWorker::Run);
    m_thread.start();
}

MdlStationSession::~MdlStationSession() {
    // The runner, its transport and their notifiers belong to the worker's thread: end them there.
    QMetaObject::invokeMethod(m_worker.get(), &MdlSessionWorker::Stop, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

} // namespace Mdl
