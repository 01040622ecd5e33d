#pragma once
// Reads a report off the user-interface thread: the store is opened and read and the figures made on a
// worker of the global thread pool, and the result comes back to the window as a queued signal. A newer
// request makes an older one's result be dropped when it arrives; the door's station keeps reading cards
// meanwhile, as nothing here waits on the store.

#include "IVenueSql.h"
#include "ReportBuilder.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace Reports {

// Opens the venue store the report reads (on the worker thread; it may throw VenueSqlError).
using StoreOpener = std::function<std::unique_ptr<IVenueSql>()>;

class ReportLoader : public QObject {
    Q_OBJECT
public:
    explicit ReportLoader(StoreOpener opener, QObject* parent = nullptr);
    ~ReportLoader() override;

    void Load(const ReportRequest& request);
    bool Busy() const;
    // Asks on a worker whether the store is a manager's connection and which group `venue` is of;
    // GroupReadable follows only when both hold (a failure to ask is the same as not a manager).
    void AskGroup(const std::string& venue);

signals:
    void Loaded(const Reports::ReportModel& model);
    void Failed(const QString& cause);
    void GroupReadable(const QString& group);

private:
    using Outcome = std::variant<ReportModel, std::string>;
    void Finished();

    StoreOpener m_opener;
    std::unique_ptr<QFutureWatcher<Outcome>> m_watcher;
    std::unique_ptr<QFutureWatcher<std::string>> m_groupWatcher;
};

// Reads and builds in the calling thread: for the command line, and inside the worker. A group report on
// a connection that cannot read the group throws VenueSqlError.
ReportModel ReadReport(IVenueSql& sql, const ReportRequest& request);
// A manager's connection to the venue database: the one that may report a group.
bool IsManagerConnection(IVenueSql& sql);
// The group of `venue` when the connection is a manager's, else nothing. Throws VenueSqlError.
std::optional<std::string> ManagersGroupOf(IVenueSql& sql, const std::string& venue);

} // namespace Reports
