#pragma once
// The fixed codes of the venue store and their text forms, exactly as the tables, the JSON of
// kestrin-venue and the PostgreSQL schema spell them. Parsing gives nothing for a text outside the set, so
// a row with a code this station does not know is refused rather than guessed.

#include <cstdint>
#include <optional>
#include <string_view>

namespace Venue {

// Microseconds since 1970-01-01 UTC: every time in the venue store, stored once and never recomputed.
using Micros = std::int64_t;

// A scan's verdict. "flagged" and "vip" are the verdicts of an admitted card on that list; "banned"
// overrides every other verdict.
enum class Verdict { Ok, UnderAge, Expired, Unknown, Banned, Flagged, Vip };

enum class ListKind { Banned, Flagged, Vip };

enum class Reason { Violence, Theft, FakeId, Harassment, Drugs, UnderageAttempt, Other };

// Where a list entry holds: the venue that made it, or every venue of its sharing group.
enum class Scope { Venue, Group };

std::string_view CodeOf(Verdict verdict); // "ok", "under-age", "expired", "unknown", "banned", ...
std::string_view CodeOf(ListKind list);   // "banned", "flagged", "vip"
std::string_view CodeOf(Reason reason);   // "violence", "theft", "fake-id", ..., "underage-attempt", "other"
std::string_view CodeOf(Scope scope);     // "venue", "group"

std::optional<Verdict> VerdictOf(std::string_view code);
std::optional<ListKind> ListKindOf(std::string_view code);
std::optional<Reason> ReasonOf(std::string_view code);
std::optional<Scope> ScopeOf(std::string_view code);

// For people: "violence", "theft", "fake ID", "harassment", "drugs", "underage attempt", "other".
std::string_view ReasonText(Reason reason);

} // namespace Venue
