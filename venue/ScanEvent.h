#pragma once
// One scan as the venue keeps it: the row of `scan_event`, the same on the embedded store and on the
// server. It never holds the holder's name, address, licence number or birth date; to recognise the same
// person it holds the keyed identity (IdentityKey), and not even that under the profile "no-retention".
//
//   station: scan --> ScanEvent (UUID and scan time made at the scan) --> embedded store, before the verdict
//            is painted --> outbox --> upload worker --> server (received_at set there)

#include "VenueCodes.h"

#include <optional>
#include <string>

namespace Venue {

struct ScanEvent {
    std::string id; // UUID v4, lowercase 8-4-4-4-12, made at the scan and reused on every retry
    std::string venue;
    std::string station;
    Micros scannedAt = 0;             // station clock
    std::optional<Micros> receivedAt; // server clock; none while the event is not on the server
    Verdict verdict = Verdict::Unknown;
    std::optional<int> age; // none when unknown
    std::string sexCode;    // AAMVA sex code as on the card
    std::string state;      // two-letter jurisdiction
    std::string format;     // stripe | barcode | aamva | mdl | unknown
    std::string warnings;   // fake-ID hint codes, comma-separated
    std::string listHits;   // ids of the list entries hit, comma-separated
    std::string idHmac;     // 32 raw bytes, or empty (NULL) under "no-retention"

    bool operator==(const ScanEvent& other) const;
};

// A manual door count (one person in or out, counted by a key).
struct DoorCount {
    std::string id; // UUID v4
    std::string venue;
    std::string station;
    Micros at = 0;
    int delta = 0; // +1 or -1

    bool operator==(const DoorCount& other) const;
};

// A new lowercase UUID v4.
std::string NewUuid();

} // namespace Venue
