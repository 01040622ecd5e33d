#pragma once
// What each kestrin-venue command does, over a venue store the caller opens (the embedded file or the
// server), with its output going to streams: the command's main and the tests drive the same code.
//
//   AdminOptions --> RunAdmin --> store (opened only by commands that need one) --> out / err --> exit status
//
// Exit status: 0 done, 1 nothing found (no entries, no scans, no such entry to lift), 2 usage or database
// error with the cause on `err`.

#include "AdminOptions.h"
#include "IVenueStore.h"
#include "PrivacyProfile.h"
#include "VenueConfig.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace VenueAdmin {

constexpr int kExitOk = 0;
constexpr int kExitNothing = 1;
constexpr int kExitError = 2;

struct AdminContext {
    std::function<std::unique_ptr<Venue::IVenueStore>()> openStore; // throws VenueError when it cannot
    Venue::VenueConfig config;
    PrivacyProfile profile;
    std::string account; // who runs the command, for created_by / lifted_by
    Venue::Micros now = 0;
    std::ostream& out;
    std::ostream& err;
};

int RunAdmin(const AdminOptions& options, AdminContext& context);

// The database the commands work on: --db, else the hive's "Venue Database"; empty: the embedded store.
std::string ChosenDatabase(const AdminOptions& options, const Venue::VenueConfig& config);

// One JSON object (no line end) per scan event and per list entry, with the keys the commands print.
std::string ScanJson(const Venue::ScanEvent& event);
std::string EntryJson(const Venue::ListEntry& entry);
std::string StatusJson(const Venue::StationStatus& status);

} // namespace VenueAdmin
