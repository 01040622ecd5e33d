#pragma once
// The verdict on a decoded card, by the valid age in force: under age before expired before OK, so an
// expired licence never reads as a plain OK and a minor never reads as merely expired. The scan total
// counts by the same judgement.

#include <cstdint>

// Banned comes only from the venue's lists, never from the card: it overrides whatever the card says.
enum class Verdict { Ok, UnderAge, Expired, Banned };

Verdict JudgeCard(std::int32_t age, bool expired, std::int32_t validAge);

// The counting rule of the total: every card, or with "Count Valid DL Only" only an OK verdict.
bool CountsTowardsTotal(std::int32_t age, bool expired, std::int32_t validAge, bool countValidOnly);
