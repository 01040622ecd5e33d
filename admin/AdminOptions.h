#pragma once
// kestrin-venue's command line, parsed without side effects so that tests read it as the command does:
//
//   kestrin-venue [--db CONNINFO] [--registry HIVE] COMMAND ...
//     init [--roles] | key new [--file FILE]
//     ban|flag|vip add (--scan FILE | --state XX --number N) --reason CODE --until YYYY-MM-DD
//                      [--note T] [--scope venue|group]
//     list [--json] | lift ID --reason T | scans [--since ISO-TIME] [--json] | status [--json]
//     report ARGS...   (handed on whole to the reports)
//
// A mistake gives a UsageError whose text says what was wrong; the command prints it and exits 2.

#include "VenueCodes.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace VenueAdmin {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Init, KeyNew, Add, List, Lift, Scans, Status, Report, Help };

struct AdminOptions {
    std::string db;       // --db: a libpq connection string; empty: the hive's "Venue Database"
    std::string registry; // --registry: the hive file; empty: $KESTRIN_REGISTRY or the default
    Command command = Command::Help;
    bool roles = false;
    std::string keyFile;
    Venue::ListKind list = Venue::ListKind::Banned;
    std::string scanFile;
    std::string state;
    std::string number;
    Venue::Reason reason = Venue::Reason::Other;
    std::string until; // YYYY-MM-DD as given
    std::string note;
    Venue::Scope scope = Venue::Scope::Venue;
    std::string entryId;
    std::string liftReason;
    std::optional<Venue::Micros> since;
    bool json = false;
    std::vector<std::string> reportArgs;
};

AdminOptions ParseAdminOptions(const std::vector<std::string>& args);

const char* AdminUsage();

} // namespace VenueAdmin
