#include "StoredNight.h"

#include "EventQuery.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <variant>

namespace Reports {

// The watcher is a child of `context`: gone with it, and with it the hand-over (QFuture::then with a
// context that may go first is not safe in every Qt 6 release).
void ReadStoredNight(QObject* context, StoreOpener opener, const std::string& venue, const ReportPeriod& period,
                     std::function<void(const NightRows&)> done, std::function<void(const std::string&)> failed) {
    using Outcome = std::variant<NightRows, std::string>;
    auto* watcher = new QFutureWatcher<Outcome>(context);
    QObject::connect(watcher, &QFutureWatcher<Outcome>::finished, context,
                     [watcher, done = std::move(done), failed = std::move(failed)] {
                         const Outcome outcome = watcher->result();
                         watcher->deleteLater();
                         if (const auto* rows = std::get_if<NightRows>(&outcome))
                             done(*rows);
                         else
                             failed(std::get<std::string>(outcome));
                     });
    watcher->setFuture(QtConcurrent::run([opener = std::move(opener), venue, period]() -> Outcome {
        try {
            const std::unique_ptr<IVenueSql> sql = opener();
            return LoadNight(*sql, venue, period);
        } catch (const std::exception& error) {
            return std::string(error.what());
        }
    }));
}

} // namespace Reports
