#pragma once
// A ban put straight into a station's embedded store, as kestrin-venue at the office would: violence,
// holding for 30 days, on the list of `venue`.

#include "EmbeddedStore.h"
#include "VenueTime.h"

#include <QDate>

#include <string>

inline void StoreBan(const std::string& storePath, const std::string& idHmac, const std::string& venue) {
    Venue::EmbeddedStore store(storePath);
    Venue::ListEntry ban;
    ban.id = Venue::NewUuid();
    ban.idHmac = idHmac;
    ban.reason = Venue::Reason::Violence;
    ban.createdAt = Venue::NowMicros();
    ban.validUntil = *Venue::EndOfLocalDay(QDate::currentDate().addDays(30).toString(Qt::ISODate).toStdString());
    ban.venue = venue;
    ban.createdBy = "office test";
    store.AddEntry(ban);
}
