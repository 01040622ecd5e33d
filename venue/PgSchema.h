#pragma once
// The venue schema on PostgreSQL ("kestrin"): venues and their sharing groups, the scan record
// (scan_event, door_count; key venue + id + scanned_at so a UUID replayed by another venue keeps both
// rows), the shared list (list_entry, with changed_xid for the commit-safe catch-up), and with roles the
// least-privilege set: kestrin_owner owns everything and logs in never; kestrin_station may add events
// (row security: its own venue only) and list entries (through functions that record session_user),
// and read its venue's events and its venue's and group's lists; kestrin_manager may also change,
// delete and lift. Row security is enabled and forced on every table. Init is idempotent and runs in
// one transaction under an advisory lock, so two doors starting together do not race.

#include <string>

#include "PgConnection.h"

namespace Venue {

class PgSchema {
public:
    // Creates or upgrades the schema; with roles also the three group roles and the ownership and
    // grants (needs CREATEROLE, usually the database owner or a superuser).
    static bool Init(PgConnection& conn, bool withRoles, PgFailure* failure);

    // Registers a venue in a sharing group, and with a login role name maps that role to the venue
    // (creating it as a member of kestrin_station when it does not exist).
    static bool AddVenue(PgConnection& conn, const std::string& venue, const std::string& group,
                         const std::string& loginRole, PgFailure* failure);

    // The SQL Init runs, for the administrator who prefers to read it first.
    static std::string InitSql(bool withRoles);
};

} // namespace Venue
