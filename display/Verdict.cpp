#include "Verdict.h"

Verdict JudgeCard(std::int32_t age, bool expired, std::int32_t validAge) {
    if (age < validAge)
        return Verdict::UnderAge;
    if (expired)
        return Verdict::Expired;
    return Verdict::Ok;
}

bool CountsTowardsTotal(std::int32_t age, bool expired, std::int32_t validAge, bool countValidOnly) {
    return !countValidOnly || JudgeCard(age, expired, validAge) == Verdict::Ok;
}
