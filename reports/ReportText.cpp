#include "ReportText.h"

#include <nlohmann/json.hpp>

namespace Reports {
namespace {

nlohmann::ordered_json ByVerdict(const VerdictCounts& counts) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (std::size_t v = 0; v < kVerdicts; ++v)
        object[kVerdictNames[v]] = counts[v];
    return object;
}

// A CSV field: quoted when it holds a separator, a quote or a line break, and when a spreadsheet would take
// it for a formula.
std::string Field(const std::string& text) {
    const bool formula = !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@');
    if (!formula && text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    if (formula)
        quoted += '\'';
    for (const char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + '"';
}

void Line(std::string& out, const std::string& label, const std::vector<long long>& values) {
    out += Field(label);
    for (const long long v : values)
        out += ',' + std::to_string(v);
    out += "\r\n";
}

} // namespace

std::string ReportJson(const ReportModel& model) {
    nlohmann::ordered_json json;
    json["from"] = LocalIso(model.period.from);
    json["to"] = LocalIso(model.period.to);
    json["venue"] = model.venue;
    json["total"] = model.total;
    json["byVerdict"] = ByVerdict(model.byVerdict);
    json["byHour"] = nlohmann::ordered_json::array();
    for (const TimeBin& bin : model.bins)
        json["byHour"].push_back({{"hour", LocalIso(bin.start)}, {"byVerdict", ByVerdict(bin.byVerdict)}});
    json["byStation"] = nlohmann::ordered_json::object();
    for (const auto& [station, door] : model.byStation)
        json["byStation"][station] = {{"scans", door.scans}, {"refusals", door.refusals}, {"unknowns", door.unknowns}};
    json["ageBands"] = nlohmann::ordered_json::object();
    for (std::size_t band = 0; band < kAgeBands; ++band)
        json["ageBands"][kAgeBandNames[band]] = model.ageBands[band];
    json["hints"] = nlohmann::ordered_json::object();
    for (const auto& [code, n] : model.hints)
        json["hints"][code] = n;
    // Station names and hint codes come from the store: bytes that are not UTF-8 are replaced, not fatal.
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string ReportCsv(const std::vector<FigureTable>& tables) {
    std::string out;
    for (const FigureTable& table : tables) {
        out += Field(table.title) + "\r\n";
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            out += (c ? "," : "") + Field(table.columns[c]);
        out += "\r\n";
        for (const FigureTable::Row& row : table.rows)
            Line(out, row.label, row.values);
        Line(out, table.total.label, table.total.values);
        out += "\r\n";
    }
    return out;
}

} // namespace Reports
