#pragma once
// What a venue store throws when the database refuses or cannot be reached: the cause as a person reads
// it (the engine's own message included). Commands print it and exit 2; the station catches it at the
// edge of every call and goes on without the store.

#include <stdexcept>
#include <string>

namespace Venue {

class VenueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Venue
