#include "ReportBuilder.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace Reports {

const std::array<const char*, kVerdicts> kVerdictNames = {"ok",     "under-age", "expired", "unknown",
                                                          "banned", "flagged",   "vip"};
const std::array<const char*, kAgeBands> kAgeBandNames = {"18-20", "21-24", "25-34", "35-49", "50+"};
const std::array<const char*, kSexes> kSexNames = {"male", "female", "not given"};

int TimeBin::Total() const {
    int sum = 0;
    for (const int n : byVerdict)
        sum += n;
    return sum;
}

bool IsAdmitted(Verdict verdict) {
    return verdict == Verdict::Ok || verdict == Verdict::Flagged || verdict == Verdict::Vip;
}

bool IsRefusal(Verdict verdict) {
    return std::find(kRefusalCauses.begin(), kRefusalCauses.end(), verdict) != kRefusalCauses.end();
}

int ReportModel::Admitted() const {
    int sum = 0;
    for (std::size_t v = 0; v < kVerdicts; ++v)
        sum += IsAdmitted(static_cast<Verdict>(v)) ? byVerdict[v] : 0;
    return sum;
}

int ReportModel::Refusals() const {
    int sum = 0;
    for (const Verdict cause : kRefusalCauses)
        sum += byVerdict[static_cast<std::size_t>(cause)];
    return sum;
}

int ReportModel::InsideAtEnd() const {
    return inside.empty() ? 0 : inside.back().inside;
}

std::optional<Verdict> ParseVerdict(const std::string& text) {
    for (std::size_t v = 0; v < kVerdicts; ++v)
        if (text == kVerdictNames[v])
            return static_cast<Verdict>(v);
    return std::nullopt;
}

std::optional<std::size_t> AgeBand(int age) {
    static constexpr std::array<int, kAgeBands> kFrom = {18, 21, 25, 35, 50};
    for (std::size_t band = kAgeBands; band-- > 0;)
        if (age >= kFrom[band])
            return band;
    return std::nullopt;
}

std::size_t SexIndex(const std::string& sexCode) {
    if (sexCode == "1" || sexCode == "M" || sexCode == "m")
        return 0;
    if (sexCode == "2" || sexCode == "F" || sexCode == "f")
        return 1;
    return 2;
}

namespace {

std::vector<TimeBin> EmptyBins(const ReportRequest& request) {
    std::vector<TimeBin> bins;
    const ReportPeriod& period = request.period;
    std::int64_t start =
        request.binning == Binning::Hour ? HourStart(period.from) : NightStart(period.from, request.dayStartHour);
    while (start < period.to) {
        const std::int64_t end =
            request.binning == Binning::Hour ? NextHour(start) : NightOf(start, request.dayStartHour).to;
        TimeBin bin;
        bin.start = start;
        bin.end = end;
        bins.push_back(bin);
        start = end;
    }
    return bins;
}

// The bin holding `at`; the bins are in order and cover the period.
TimeBin* BinOf(std::vector<TimeBin>& bins, std::int64_t at) {
    const auto after = std::upper_bound(bins.begin(), bins.end(), at,
                                        [](std::int64_t t, const TimeBin& bin) { return t < bin.start; });
    if (after == bins.begin())
        return nullptr;
    TimeBin& bin = *(after - 1);
    return at < bin.end ? &bin : nullptr;
}

void CountHints(std::map<std::string, int>& hints, const std::string& warnings) {
    std::set<std::string> codes; // a code twice in one scan is one scan with that hint
    std::size_t begin = 0;
    while (begin <= warnings.size()) {
        const std::size_t comma = std::min(warnings.find(',', begin), warnings.size());
        std::string code = warnings.substr(begin, comma - begin);
        code.erase(0, code.find_first_not_of(' '));
        code.erase(code.find_last_not_of(' ') + 1);
        if (!code.empty())
            codes.insert(code);
        begin = comma + 1;
    }
    for (const std::string& code : codes)
        ++hints[code];
}

void CountScan(ReportModel& model, std::set<std::string>& holders, const ScanRow& scan) {
    ++model.total;
    DoorFigures& door = model.byStation[scan.station];
    ++door.scans;
    CountHints(model.hints, scan.warnings);
    if (!scan.idHmac || scan.idHmac->empty())
        ++model.scansWithoutHmac;
    else if (!holders.insert(*scan.idHmac).second)
        ++model.repeatScans;

    const std::optional<Verdict> verdict = ParseVerdict(scan.verdict);
    if (!verdict) {
        ++model.otherVerdicts;
        return;
    }
    ++model.byVerdict[static_cast<std::size_t>(*verdict)];
    if (*verdict == Verdict::Unknown)
        ++door.unknowns;
    if (IsRefusal(*verdict))
        ++door.refusals;
    if (!IsAdmitted(*verdict))
        return;
    const std::optional<std::size_t> band = scan.age ? AgeBand(*scan.age) : std::nullopt;
    if (band)
        ++model.ageBands[*band];
    else
        ++model.admittedAgeUnknown;
    ++model.sexes[SexIndex(scan.sexCode)];
}

// The inside count: every admitted scan is one in, every door count its delta, in time order (a scan and
// a count at the same microsecond: the scan first).
void CountInside(ReportModel& model, const NightRows& rows) {
    struct Change {
        std::int64_t at;
        int order;
        int delta;
    };
    std::vector<Change> changes;
    for (const ScanRow& scan : rows.scans) {
        const auto verdict = ParseVerdict(scan.verdict);
        if (scan.scannedAt >= model.period.from && scan.scannedAt < model.period.to && verdict && IsAdmitted(*verdict))
            changes.push_back({scan.scannedAt, 0, 1});
    }
    for (const DoorCountRow& count : rows.doorCounts) {
        if (count.at < model.period.from || count.at >= model.period.to)
            continue;
        changes.push_back({count.at, 1, count.delta});
        (count.delta > 0 ? model.manualIn : model.manualOut) += std::abs(count.delta);
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const Change& a, const Change& b) { return a.at != b.at ? a.at < b.at : a.order < b.order; });

    int inside = 0;
    model.inside.push_back({model.period.from, 0});
    std::size_t next = 0;
    for (TimeBin& bin : model.bins) {
        bin.insidePeak = inside;
        for (; next < changes.size() && changes[next].at < bin.end; ++next) {
            inside += changes[next].delta;
            model.inside.push_back({changes[next].at, inside});
            bin.insidePeak = std::max(bin.insidePeak, inside);
            model.insidePeak = std::max(model.insidePeak, inside);
        }
        bin.insideAtEnd = inside;
    }
}

} // namespace

ReportModel BuildReport(const ReportRequest& request, const NightRows& rows) {
    ReportModel model;
    model.venue = request.venue;
    model.period = request.period;
    model.binning = request.binning;
    model.bins = EmptyBins(request);

    std::set<std::string> holders;
    for (const ScanRow& scan : rows.scans) {
        if (scan.scannedAt < request.period.from || scan.scannedAt >= request.period.to)
            continue; // an engine that gave more than was asked for
        CountScan(model, holders, scan);
        const auto verdict = ParseVerdict(scan.verdict);
        if (TimeBin* bin = BinOf(model.bins, scan.scannedAt); bin && verdict)
            ++bin->byVerdict[static_cast<std::size_t>(*verdict)];
    }
    model.distinctHolders = static_cast<int>(holders.size());
    CountInside(model, rows);
    return model;
}

} // namespace Reports
