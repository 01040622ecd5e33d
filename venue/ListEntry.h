#pragma once
// One entry of the banned, flagged or VIP list: the row of `list_entry`, the same on the embedded store
// and on the server. The person is known only by the keyed identity of the licence (IdentityKey); a
// display name and birth date are kept only where the privacy profile allows. An entry always ends: its
// expiry is mandatory and at most kMaxYears on. A lifted entry stays in the table (who lifted it, when and
// why) and no longer matches.

#include "VenueCodes.h"

#include <optional>
#include <string>

namespace Venue {

struct ListEntry {
    std::string id;     // UUID v4, made where the entry is made; entries are applied by it, idempotently
    std::string idHmac; // 32 raw bytes: HMAC-SHA256 of the licence under the group key of `keyVersion`
    int keyVersion = 1;
    ListKind list = ListKind::Banned;
    Reason reason = Reason::Other;
    std::string note;
    Micros validUntil = 0; // the entry holds while now < validUntil
    Scope scope = Scope::Venue;
    std::string venue;     // the venue that made it
    std::string createdBy; // "<station> <account>" (on the server: the session and certificate)
    Micros createdAt = 0;
    std::optional<Micros> liftedAt;
    std::string liftedBy;
    std::string liftReason;
    std::string displayName; // empty unless the profile keeps it
    std::string birthDate;   // "YYYY-MM-DD", empty unless the profile keeps it

    // Holds at `now`: not lifted and not expired.
    bool HoldsAt(Micros now) const { return !liftedAt && now < validUntil; }
    // Holds at a door of `atVenue`: this venue's entries, and the group's.
    bool HoldsFor(const std::string& atVenue) const { return scope == Scope::Group || venue == atVenue; }

    bool operator==(const ListEntry& other) const;

    // Expiries further on than this are refused when an entry is made.
    static constexpr int kMaxYears = 5;
};

} // namespace Venue
