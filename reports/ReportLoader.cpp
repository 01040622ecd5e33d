#include "ReportLoader.h"

#include "EventQuery.h"

#include <QtConcurrent/QtConcurrentRun>

namespace Reports {

ReportModel ReadReport(IVenueSql& sql, const ReportRequest& request) {
    const ReportScope scope{request.venue, request.group};
    // Refused rather than reported short: row security would quietly leave the other venues out.
    if (scope.IsGroup() && !CanReadGroup(sql))
        throw VenueSqlError("the group \"" + request.group +
                            "\" needs a manager's connection; this login sees its own venue only");
    ReportModel model = BuildReport(request, LoadNight(sql, scope, request.period));
    model.venue = scope.Name();
    return model;
}

bool IsManagerConnection(IVenueSql& sql) {
    return sql.HoldsVenueGroups() && CanReadGroup(sql);
}

std::optional<std::string> ManagersGroupOf(IVenueSql& sql, const std::string& venue) {
    if (!IsManagerConnection(sql))
        return std::nullopt;
    std::optional<std::string> group;
    sql.Select("SELECT grp FROM kestrin.venue WHERE name = ?", {venue}, [&group](const IVenueSql::Row& row) {
        if (!row.empty() && row[0] && !row[0]->empty())
            group = *row[0];
    });
    return group;
}

ReportLoader::ReportLoader(StoreOpener opener, QObject* parent) : QObject(parent), m_opener(std::move(opener)) {}

// The watcher goes first and with it the connection; a read still running finishes on its worker and its
// result is dropped (the opener and request were copied into it).
ReportLoader::~ReportLoader() = default;

void ReportLoader::Load(const ReportRequest& request) {
    if (m_watcher)
        m_watcher->disconnect(this); // the result of a read still running is not wanted any more
    m_watcher = std::make_unique<QFutureWatcher<Outcome>>();
    connect(m_watcher.get(), &QFutureWatcher<Outcome>::finished, this, &ReportLoader::Finished);
    m_watcher->setFuture(QtConcurrent::run([opener = m_opener, request]() -> Outcome {
        try {
            const std::unique_ptr<IVenueSql> sql = opener();
            return ReadReport(*sql, request);
        } catch (const std::exception& error) {
            return std::string(error.what());
        }
    }));
}

void ReportLoader::AskGroup(const std::string& venue) {
    m_groupWatcher = std::make_unique<QFutureWatcher<std::string>>();
    connect(m_groupWatcher.get(), &QFutureWatcher<std::string>::finished, this, [this] {
        const std::string group = m_groupWatcher->result();
        if (!group.empty())
            emit GroupReadable(QString::fromStdString(group));
    });
    m_groupWatcher->setFuture(QtConcurrent::run([opener = m_opener, venue]() -> std::string {
        try {
            const std::unique_ptr<IVenueSql> sql = opener();
            return ManagersGroupOf(*sql, venue).value_or(std::string());
        } catch (const std::exception&) {
            return {}; // the report itself will say what is wrong with the store
        }
    }));
}

bool ReportLoader::Busy() const {
    return m_watcher && m_watcher->isRunning();
}

void ReportLoader::Finished() {
    const Outcome outcome = m_watcher->result();
    if (const auto* model = std::get_if<ReportModel>(&outcome))
        emit Loaded(*model);
    else
        emit Failed(QString::fromStdString(std::get<std::string>(outcome)));
}

} // namespace Reports
