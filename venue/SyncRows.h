#pragma once
// The rows the sync worker moves between a station's store and the server: scan events and door counts
// going up (each with the UUID and microsecond times made at the door, sent unchanged on every retry),
// list entries going up (made at this door) and coming down (the group's shared list).

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace Venue {

struct SyncScanEvent {
    std::string id; // UUID v4, lowercase
    std::string venue;
    std::string station;
    std::int64_t scannedAt = 0; // station clock, microseconds since 1970 UTC
    std::string verdict;
    std::optional<int> age;
    std::string sexCode;
    std::string state;
    std::string format;
    std::string warnings;
    std::string listHits;
    std::string idHmac; // 32 raw bytes, or empty when the profile keeps none
};

struct SyncDoorCount {
    std::string id;
    std::string venue;
    std::string station;
    std::int64_t at = 0;
    int delta = 0;
};

using SyncOutboxRow = std::variant<SyncScanEvent, SyncDoorCount>;

struct SyncListEntry {
    std::string id;
    std::string group;
    std::string venue;
    std::string scope;  // venue | group
    std::string list;   // banned | flagged | vip
    std::string idHmac; // 32 raw bytes
    int keyVersion = 1;
    std::string reason;
    std::string note;
    std::int64_t validUntil = 0;
    std::optional<std::string> displayName;
    std::optional<std::string> birthDate;
    std::string station;
    std::string createdBy;
    std::int64_t createdAt = 0;
    std::optional<std::int64_t> liftedAt;
    std::string liftedBy;
    std::string liftReason;
};

} // namespace Venue
