#include "ListEntry.h"

#include <tuple>

namespace Venue {

bool ListEntry::operator==(const ListEntry& o) const {
    return std::tie(id, idHmac, keyVersion, list, reason, note, validUntil, scope, venue, createdBy, createdAt,
                    liftedAt, liftedBy, liftReason, displayName, birthDate) ==
           std::tie(o.id, o.idHmac, o.keyVersion, o.list, o.reason, o.note, o.validUntil, o.scope, o.venue, o.createdBy,
                    o.createdAt, o.liftedAt, o.liftedBy, o.liftReason, o.displayName, o.birthDate);
}

} // namespace Venue
