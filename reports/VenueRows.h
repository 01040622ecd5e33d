#pragma once
// The rows the reports read from the venue store: one scan event and one manual door count, as the store
// keeps them (times in microseconds since 1970 UTC, station clock). Nothing personal: the holder is known
// only by the keyed HMAC, and not even that under the profile that keeps none.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Reports {

struct ScanRow {
    std::string id;
    std::string station;
    std::int64_t scannedAt = 0;
    std::string verdict; // ok | under-age | expired | unknown | banned | flagged | vip
    std::optional<int> age;
    std::string sexCode;
    std::string state;
    std::string format;
    std::string warnings; // hint codes, comma-separated
    std::string listHits;
    std::optional<std::string> idHmac; // raw bytes; nothing where the profile keeps no HMAC
};

struct DoorCountRow {
    std::string id;
    std::string station;
    std::int64_t at = 0;
    int delta = 0; // +1 (in by hand) or -1 (out)
};

// One venue's rows of a period, in time order.
struct NightRows {
    std::vector<ScanRow> scans;
    std::vector<DoorCountRow> doorCounts;
};

} // namespace Reports
