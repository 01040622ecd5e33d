#include "AdminCommands.h"

#include "Card.h"
#include "IdentityKey.h"
#include "PgStore.h"
#include "ReportCommand.h"
#include "VenueError.h"
#include "VenueTime.h"

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

namespace VenueAdmin {
namespace {

using nlohmann::json;
using Venue::IdentityKey;
using Venue::ListEntry;

json Optional(const std::optional<Venue::Micros>& at) {
    return at ? json(Venue::IsoText(*at)) : json(nullptr);
}

json Codes(const std::string& commaSeparated) {
    json list = json::array();
    std::stringstream in(commaSeparated);
    for (std::string code; std::getline(in, code, ',');)
        if (!code.empty())
            list.push_back(code);
    return list;
}

int KeyNew(const AdminOptions& o, AdminContext& c) {
    const std::string path = o.keyFile.empty() ? c.config.keyFile : o.keyFile;
    std::string error;
    if (!IdentityKey::Create(path, error)) {
        c.err << "kestrin-venue: " << error << '\n';
        return kExitError;
    }
    c.out << path << '\n';
    return kExitOk;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Venue::VenueError("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The identity, and what the profile lets the entry keep of the person, from a scan or a typed number.
ListEntry EntryFor(const AdminOptions& o, const AdminContext& c, const IdentityKey& key) {
    ListEntry entry;
    if (!o.scanFile.empty()) {
        std::string scan = ReadFile(o.scanFile);
        while (!scan.empty() && (scan.back() == '\n' || scan.back() == '\r'))
            scan.pop_back();
        try {
            const MagneticStripeCards::Card card(scan);
            entry.idHmac = key.IdentityOf(card);
            if (c.profile.KeepsDisplayName())
                entry.displayName = card.DisplayName();
            if (c.profile.KeepsBirthDate())
                entry.birthDate = card.BirthDateIso();
        } catch (const std::exception&) {
            throw Venue::VenueError(o.scanFile + " holds no licence this station can read");
        }
    } else {
        const std::string iin = IdentityKey::IinOfState(o.state);
        if (iin.empty())
            throw Venue::VenueError("no issuer is known for the jurisdiction \"" + o.state + "\"");
        entry.idHmac = key.Identity(iin, o.number);
    }
    if (entry.idHmac.empty())
        throw Venue::VenueError("the licence carries no number to know it by");
    entry.keyVersion = key.Version();
    return entry;
}

int Add(const AdminOptions& o, AdminContext& c) {
    std::string error;
    const auto key = IdentityKey::Load(c.config.keyFile, error);
    if (!key)
        throw Venue::VenueError(error + " (make one with \"kestrin-venue key new\")");
    ListEntry entry = EntryFor(o, c, *key);
    entry.id = Venue::NewUuid();
    entry.list = o.list;
    entry.reason = o.reason;
    entry.note = o.note;
    entry.validUntil = *Venue::EndOfLocalDay(o.until);
    entry.scope = o.scope;
    entry.venue = c.config.venue;
    entry.createdBy = c.config.station + " " + c.account;
    entry.createdAt = c.now;
    c.openStore()->AddEntry(entry);
    c.out << entry.id << '\n';
    return kExitOk;
}

std::string EntryLine(const ListEntry& e) {
    std::string line = e.id + "  " + std::string(Venue::CodeOf(e.list)) + "  " + std::string(Venue::CodeOf(e.reason)) +
                       "  until " + Venue::LocalDate(e.validUntil - 1) + "  " + std::string(Venue::CodeOf(e.scope)) +
                       " " + e.venue;
    if (!e.displayName.empty())
        line += "  " + e.displayName;
    if (e.liftedAt)
        line += "  lifted " + Venue::IsoText(*e.liftedAt) + " by " + e.liftedBy + ": " + e.liftReason;
    if (!e.note.empty())
        line += "  note: " + e.note;
    return line;
}

int List(const AdminOptions& o, AdminContext& c) {
    const auto entries = c.openStore()->Entries();
    for (const ListEntry& e : entries)
        c.out << (o.json ? EntryJson(e) : EntryLine(e)) << '\n';
    return entries.empty() ? kExitNothing : kExitOk;
}

int Lift(const AdminOptions& o, AdminContext& c) {
    if (!c.openStore()->Lift(o.entryId, c.config.station + " " + c.account, o.liftReason, c.now)) {
        c.err << "kestrin-venue: no entry " << o.entryId << " to lift\n";
        return kExitNothing;
    }
    return kExitOk;
}

std::string ScanLine(const Venue::ScanEvent& e) {
    return Venue::IsoText(e.scannedAt) + "  " + e.station + "  " + std::string(Venue::CodeOf(e.verdict)) + "  " +
           (e.age ? std::to_string(*e.age) : std::string("-")) + "  " + e.state + "  " + e.format + "  " + e.id;
}

int Scans(const AdminOptions& o, AdminContext& c) {
    const auto events = c.openStore()->Scans(c.config.venue, o.since);
    for (const auto& e : events)
        c.out << (o.json ? ScanJson(e) : ScanLine(e)) << '\n';
    return events.empty() ? kExitNothing : kExitOk;
}

int Status(const AdminOptions& o, AdminContext& c) {
    const auto stations = c.openStore()->Status();
    for (const auto& s : stations) {
        if (o.json)
            c.out << StatusJson(s) << '\n';
        else
            c.out << s.station << "  waiting " << s.waiting << "  last upload "
                  << (s.lastUpload ? Venue::IsoText(*s.lastUpload) : std::string("never")) << "  lists "
                  << s.listVersion << '\n';
    }
    return stations.empty() ? kExitNothing : kExitOk;
}

int Init(const AdminOptions& o, AdminContext& c) {
    const auto store = c.openStore();
    if (o.roles) {
        auto* server = dynamic_cast<Venue::PgStore*>(store.get());
        if (!server) {
            c.err << "kestrin-venue: init --roles needs a PostgreSQL database (--db or \"Venue Database\")\n";
            return kExitError;
        }
        server->SetInitRoles(true);
    }
    store->Init();
    return kExitOk;
}

int Dispatch(const AdminOptions& o, AdminContext& c) {
    switch (o.command) {
    case Command::Init:
        return Init(o, c);
    case Command::KeyNew:
        return KeyNew(o, c);
    case Command::Add:
        return Add(o, c);
    case Command::List:
        return List(o, c);
    case Command::Lift:
        return Lift(o, c);
    case Command::Scans:
        return Scans(o, c);
    case Command::Status:
        return Status(o, c);
    case Command::Report:
        return RunReport(o.reportArgs, *c.openStore(), c.config, c.out, c.err);
    case Command::Help:
        c.out << AdminUsage();
        return kExitOk;
    }
    return kExitError;
}

} // namespace

int RunAdmin(const AdminOptions& options, AdminContext& context) {
    try {
        return Dispatch(options, context);
    } catch (const std::exception& e) {
        context.err << "kestrin-venue: " << e.what() << '\n';
        return kExitError;
    }
}

std::string ChosenDatabase(const AdminOptions& options, const Venue::VenueConfig& config) {
    return options.db.empty() ? config.database : options.db;
}

std::string ScanJson(const Venue::ScanEvent& e) {
    const json object = {{"id", e.id},
                         {"venue", e.venue},
                         {"station", e.station},
                         {"scanTime", Venue::IsoText(e.scannedAt)},
                         {"receivedTime", Optional(e.receivedAt)},
                         {"verdict", Venue::CodeOf(e.verdict)},
                         {"age", e.age ? json(*e.age) : json(nullptr)},
                         {"sexCode", e.sexCode},
                         {"state", e.state},
                         {"format", e.format},
                         {"warnings", Codes(e.warnings)},
                         {"listHits", Codes(e.listHits)}};
    return object.dump();
}

std::string EntryJson(const ListEntry& e) {
    json object = {{"id", e.id},
                   {"idHmac", Venue::Hex(e.idHmac)},
                   {"keyVersion", e.keyVersion},
                   {"list", Venue::CodeOf(e.list)},
                   {"reason", Venue::CodeOf(e.reason)},
                   {"note", e.note},
                   {"validUntil", Venue::IsoText(e.validUntil)},
                   {"scope", Venue::CodeOf(e.scope)},
                   {"venue", e.venue},
                   {"createdBy", e.createdBy},
                   {"createdAt", Venue::IsoText(e.createdAt)},
                   {"liftedAt", Optional(e.liftedAt)},
                   {"liftedBy", e.liftedBy},
                   {"liftReason", e.liftReason}};
    if (!e.displayName.empty())
        object["displayName"] = e.displayName;
    if (!e.birthDate.empty())
        object["birthDate"] = e.birthDate;
    return object.dump();
}

std::string StatusJson(const Venue::StationStatus& s) {
    const json object = {{"station", s.station},
                         {"waiting", s.waiting},
                         {"lastUpload", Optional(s.lastUpload)},
                         {"listVersion", s.listVersion}};
    return object.dump();
}

} // namespace VenueAdmin
