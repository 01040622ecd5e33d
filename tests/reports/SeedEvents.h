#pragma once
// A seeded night written the way the station writes it: each row as the venue side's ScanEvent or
// DoorCount through a venue store (the embedded file or PostgreSQL as a venue's login).

#include "IVenueStore.h"
#include "SeedNight.h"
#include "VenueCodes.h"

#include <string>

inline Venue::ScanEvent SeedEvent(const std::string& venue, const Reports::ScanRow& s) {
    Venue::ScanEvent event;
    event.id = s.id;
    event.venue = venue;
    event.station = s.station;
    event.scannedAt = s.scannedAt;
    event.verdict = *Venue::VerdictOf(s.verdict);
    event.age = s.age;
    event.sexCode = s.sexCode;
    event.state = s.state;
    event.format = s.format;
    event.warnings = s.warnings;
    event.listHits = s.listHits;
    event.idHmac = s.idHmac.value_or(std::string());
    return event;
}

// Rows of one venue.
inline void RecordRows(Venue::IVenueStore& store, const std::string& venue, const Reports::NightRows& rows) {
    for (const Reports::ScanRow& s : rows.scans)
        store.RecordScan(SeedEvent(venue, s));
    for (const Reports::DoorCountRow& d : rows.doorCounts)
        store.RecordDoorCount({d.id, venue, d.station, d.at, d.delta});
}

// The night's rows and its noise: the noise scans inside the period go to `other` as `otherVenue`, the
// rest (the neighbours just outside the period, every door count) to `store` as the night's venue.
inline void RecordNight(Venue::IVenueStore& store, Venue::IVenueStore& other, const std::string& otherVenue,
                        const SeededNight& night) {
    RecordRows(store, night.venue, night.rows);
    for (const Reports::ScanRow& s : night.noise.scans) {
        const bool inPeriod = s.scannedAt >= night.period.from && s.scannedAt < night.period.to;
        (inPeriod ? other : store).RecordScan(SeedEvent(inPeriod ? otherVenue : night.venue, s));
    }
    for (const Reports::DoorCountRow& d : night.noise.doorCounts)
        store.RecordDoorCount({d.id, night.venue, d.station, d.at, d.delta});
}
