// kestrin-venue: the administrator's command for the venue store (lists, scan record, keys, status).
// See AdminOptions.h for the commands and AdminCommands.h for what they print.

#include "AdminCommands.h"
#include "AdminOptions.h"
#include "StoreOpener.h"
#include "VenueTime.h"

#include <cstdlib>
#include <iostream>
#include <pwd.h>
#include <unistd.h>

namespace {

std::string Account() {
    if (const passwd* entry = ::getpwuid(::geteuid()))
        return entry->pw_name;
    return std::to_string(::geteuid());
}

} // namespace

int main(int argc, char** argv) {
    using namespace VenueAdmin;
    AdminOptions options;
    try {
        options = ParseAdminOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "kestrin-venue: " << e.what() << '\n' << AdminUsage();
        return kExitError;
    }
    // The hive decides the defaults of every other value, so it is named before anything is read.
    if (!options.registry.empty())
        ::setenv("KESTRIN_REGISTRY", options.registry.c_str(), 1);
    AdminContext context{{},
                         Venue::VenueConfig::FromSettings(),
                         PrivacyProfile::FromSettings(),
                         Account(),
                         Venue::NowMicros(),
                         std::cout,
                         std::cerr};
    const std::string conninfo = ChosenDatabase(options, context.config);
    context.openStore = [conninfo] { return OpenStore(conninfo); };
    return RunAdmin(options, context);
}
