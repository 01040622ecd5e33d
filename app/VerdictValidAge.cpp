#include "VerdictValidAge.h"

#include "Settings.h"

std::int32_t ValidAgeReader::Read() {
    const std::int32_t age = Settings::GetValidAge();
    // -1 is also what the store answers when it cannot read: only a stored -1 counts as an age.
    if (age != -1 || Settings::HasValidAge()) {
        m_last = age;
        return age;
    }
    return m_last.value_or(kDefaultValidAge);
}

std::int32_t VerdictValidAge() {
    static ValidAgeReader reader;
    return reader.Read();
}

void StoreDefaultValidAge() {
    if (!Settings::HasValidAge())
        Settings::SetValidAge(kDefaultValidAge);
}
