#include "ReportCommandLine.h"

#include "FigureTables.h"
#include "ReportPdf.h"
#include "ReportText.h"

#include <QApplication>
#include <QDateTime>

#include <algorithm>
#include <iomanip>
#include <memory>
#include <optional>

namespace Reports {

const char kReportUsage[] = "usage: kestrin-venue report [--from ISO --to ISO] [--by hour|day|station] [--group NAME]\n"
                            "                            [--json|--csv|--pdf FILE]\n";

namespace {

enum class Output { Text, Json, Csv, Pdf };

struct Options {
    std::optional<std::int64_t> from;
    std::optional<std::int64_t> to;
    std::string by = "hour";
    Output output = Output::Text;
    std::string pdf;
    std::string group;
};

struct UsageError {
    std::string cause;
};

// ISO 8601 local time ("2026-12-08T22:00", "2026-12-08") or with its offset ("...Z", "...+01:00").
std::int64_t ParseTime(const std::string& option, const std::string& text) {
    QDateTime time = QDateTime::fromString(QString::fromStdString(text), Qt::ISODateWithMs);
    if (!time.isValid())
        time = QDateTime::fromString(QString::fromStdString(text), Qt::ISODate);
    if (!time.isValid())
        throw UsageError{option + " takes an ISO 8601 time such as 2026-12-08T22:00, not \"" + text + "\""};
    return time.toMSecsSinceEpoch() * 1000;
}

Options Parse(const std::vector<std::string>& args) {
    Options options;
    int outputs = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError{arg + " needs a value"};
            return args[++i];
        };
        if (arg == "--from") {
            options.from = ParseTime(arg, value());
        } else if (arg == "--to") {
            options.to = ParseTime(arg, value());
        } else if (arg == "--by") {
            options.by = value();
            if (options.by != "hour" && options.by != "day" && options.by != "station")
                throw UsageError{"--by takes hour, day or station, not \"" + options.by + "\""};
        } else if (arg == "--group") {
            options.group = value();
            if (options.group.empty())
                throw UsageError{"--group needs a group's name"};
        } else if (arg == "--json" || arg == "--csv") {
            options.output = arg == "--json" ? Output::Json : Output::Csv;
            ++outputs;
        } else if (arg == "--pdf") {
            options.pdf = value();
            options.output = Output::Pdf;
            ++outputs;
        } else {
            throw UsageError{"unknown option \"" + arg + "\""};
        }
    }
    if (outputs > 1)
        throw UsageError{"--json, --csv and --pdf are one at a time"};
    if (options.to && !options.from)
        throw UsageError{"--to needs --from"};
    if (options.from && options.to && *options.to <= *options.from)
        throw UsageError{"--to must be after --from"};
    return options;
}

void PrintText(std::ostream& out, const ReportModel& model, const std::vector<FigureTable>& tables) {
    out << "Venue " << model.venue << ", " << LocalIso(model.period.from) << " to " << LocalIso(model.period.to)
        << "\n\n";
    for (const FigureTable& table : tables) {
        out << table.title << "\n";
        std::size_t labelWidth = table.columns[0].size();
        for (const FigureTable::Row& row : table.rows)
            labelWidth = std::max(labelWidth, row.label.size());
        auto line = [&](const std::string& label, const std::vector<std::string>& cells) {
            out << std::left << std::setw(static_cast<int>(labelWidth)) << label << std::right;
            for (const std::string& cell : cells)
                out << "  " << std::setw(9) << cell;
            out << "\n";
        };
        line(table.columns[0], std::vector<std::string>(table.columns.begin() + 1, table.columns.end()));
        auto numbers = [](const std::vector<long long>& values) {
            std::vector<std::string> cells;
            for (const long long v : values)
                cells.push_back(std::to_string(v));
            return cells;
        };
        for (const FigureTable::Row& row : table.rows)
            line(row.label, numbers(row.values));
        line(table.total.label, numbers(table.total.values));
        out << "\n";
    }
}

// The PDF's charts need a QApplication; a command without one gets one on the offscreen platform.
int WritePdf(const Options& options, const ReportModel& model, const std::vector<FigureTable>& tables,
             std::int64_t madeAt, std::ostream& err) {
    std::unique_ptr<QApplication> app;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "kestrin-venue";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        err << "kestrin-venue report: a PDF needs the program to run with a QApplication\n";
        return 2;
    }
    QString error;
    if (!WriteReportPdf(QString::fromStdString(options.pdf), model, tables, madeAt, error)) {
        err << "kestrin-venue report: " << error.toStdString() << "\n";
        return 2;
    }
    return 0;
}

} // namespace

int RunReportCommand(const std::vector<std::string>& args, const ReportCommandSetup& setup, std::ostream& out,
                     std::ostream& err) {
    Options options;
    try {
        options = Parse(args);
    } catch (const UsageError& usage) {
        err << "kestrin-venue report: " << usage.cause << "\n" << kReportUsage;
        return 2;
    }
    const std::int64_t now = setup.now();
    ReportRequest request;
    request.venue = setup.venue;
    request.group = options.group;
    request.dayStartHour = setup.dayStartHour;
    request.period =
        options.from ? ReportPeriod{*options.from, options.to.value_or(now)} : NightOf(now, setup.dayStartHour);
    request.binning = options.by == "day" ? Binning::Day : Binning::Hour;
    ReportModel model;
    try {
        const std::unique_ptr<IVenueSql> sql = setup.opener();
        model = ReadReport(*sql, request);
    } catch (const std::exception& error) {
        err << "kestrin-venue report: " << error.what() << "\n";
        return 2;
    }
    const std::vector<FigureTable> tables = FigureTables(model, options.by == "station");
    switch (options.output) {
    case Output::Json:
        out << ReportJson(model) << "\n";
        break;
    case Output::Csv:
        out << ReportCsv(tables);
        break;
    case Output::Pdf:
        if (const int status = WritePdf(options, model, tables, now, err); status != 0)
            return status;
        break;
    case Output::Text:
        PrintText(out, model, tables);
        break;
    }
    out.flush();
    return model.total == 0 ? 1 : 0;
}

} // namespace Reports
