#include "ScanLogSession.h"

#include "Guarded.h"
#include "StationTrace.h"

#include <utility>

ScanLogSession::ScanLogSession(std::string runNumber) : m_log(std::move(runNumber)) {}

ScanLogSession::~ScanLogSession() {
    // No report from a dialog that goes with the station.
    if (m_remarks)
        QObject::disconnect(m_remarks.get(), nullptr, nullptr, nullptr);
}

bool ScanLogSession::WriteRow(const MagneticStripeCards::Card& card, bool commentsFollow) {
    return m_log.LogScan(card, commentsFollow) == LogFileWriter::Result::Written;
}

Remarks& ScanLogSession::NewComments(QWidget& owner) {
    if (IsCommentsOpen())
        m_remarks->reject(); // its comments go into its own row before a new one is asked for
    m_remarks = std::make_unique<Remarks>(&owner);
    QObject::connect(m_remarks.get(), &QDialog::finished, m_remarks.get(),
                     [this] { Guarded("comments", [this] { OnCommentsFinished(); }); });
    return *m_remarks;
}

void ScanLogSession::OpenComments(std::function<void()> closed) {
    if (!m_remarks)
        return;
    m_closed = std::move(closed);
    m_remarks->open();
}

bool ScanLogSession::IsCommentsOpen() const {
    return m_remarks && m_remarks->isVisible();
}

void ScanLogSession::OnCommentsFinished() {
    const LogFileWriter::Result result = m_log.AddComments(m_remarks->GetLogSuffix());
    const bool added = result == LogFileWriter::Result::Written || result == LogFileWriter::Result::Kept;
    StationTrace::Line(added ? "comments added" : "comments not added");
    // The dialog stays until the next one replaces it: it is still inside its own signal here.
    if (const std::function<void()> closed = std::exchange(m_closed, {}))
        closed();
}
