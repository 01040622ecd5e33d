#include "VerdictValidAge.h"

#include "Settings.h"

std::int32_t VerdictValidAge() {
    return Settings::VerdictValidAge();
}

void StoreDefaultValidAge() {
    if (!Settings::HasValidAge())
        Settings::SetValidAge(kDefaultValidAge);
}
