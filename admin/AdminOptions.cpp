#include "AdminOptions.h"

#include "VenueTime.h"

#include <cstddef>

namespace VenueAdmin {
namespace {

using Venue::ListKind;

class ArgReader {
public:
    explicit ArgReader(const std::vector<std::string>& args) : m_args(args) {}
    bool Done() const { return m_next >= m_args.size(); }
    const std::string& Peek() const { return m_args[m_next]; }
    std::string Take() { return m_args[m_next++]; }
    std::string ValueOf(const std::string& option) {
        if (Done())
            throw UsageError(option + " needs a value");
        return Take();
    }
    std::vector<std::string> Rest() {
        std::vector<std::string> rest(m_args.begin() + static_cast<std::ptrdiff_t>(m_next), m_args.end());
        m_next = m_args.size();
        return rest;
    }

private:
    const std::vector<std::string>& m_args;
    std::size_t m_next = 0;
};

[[noreturn]] void Unknown(const std::string& arg, const char* command) {
    throw UsageError(std::string("unknown argument for ") + command + ": " + arg);
}

void ParseInit(ArgReader& in, AdminOptions& o) {
    while (!in.Done()) {
        const std::string arg = in.Take();
        if (arg != "--roles")
            Unknown(arg, "init");
        o.roles = true;
    }
}

void ParseKey(ArgReader& in, AdminOptions& o) {
    if (in.Done() || in.Take() != "new")
        throw UsageError("key: the only action is \"key new [--file FILE]\"");
    o.command = Command::KeyNew;
    while (!in.Done()) {
        const std::string arg = in.Take();
        if (arg != "--file")
            Unknown(arg, "key new");
        o.keyFile = in.ValueOf(arg);
    }
}

void ParseAddOption(ArgReader& in, AdminOptions& o, const std::string& arg, bool& reason) {
    if (arg == "--scan") {
        o.scanFile = in.ValueOf(arg);
    } else if (arg == "--state") {
        o.state = in.ValueOf(arg);
    } else if (arg == "--number") {
        o.number = in.ValueOf(arg);
    } else if (arg == "--reason") {
        const std::string code = in.ValueOf(arg);
        const auto parsed = Venue::ReasonOf(code);
        if (!parsed)
            throw UsageError("unknown reason code \"" + code +
                             "\" (violence, theft, fake-id, harassment, drugs, underage-attempt, other)");
        o.reason = *parsed;
        reason = true;
    } else if (arg == "--until") {
        o.until = in.ValueOf(arg);
        if (!Venue::EndOfLocalDay(o.until))
            throw UsageError("--until needs a date YYYY-MM-DD, not \"" + o.until + "\"");
    } else if (arg == "--note") {
        o.note = in.ValueOf(arg);
    } else if (arg == "--scope") {
        const std::string scope = in.ValueOf(arg);
        const auto parsed = Venue::ScopeOf(scope);
        if (!parsed)
            throw UsageError("--scope is venue or group, not \"" + scope + "\"");
        o.scope = *parsed;
    } else {
        Unknown(arg, "add");
    }
}

void ParseAdd(ArgReader& in, AdminOptions& o, ListKind list) {
    if (in.Done() || in.Take() != "add")
        throw UsageError(std::string(Venue::CodeOf(list) == "banned" ? "ban" : Venue::CodeOf(list)) +
                         ": the only action is \"add\"");
    o.command = Command::Add;
    o.list = list;
    bool reason = false;
    while (!in.Done())
        ParseAddOption(in, o, in.Take(), reason);
    const bool byNumber = !o.state.empty() || !o.number.empty();
    if (o.scanFile.empty() == !byNumber)
        throw UsageError("add needs either --scan FILE or --state XX --number N");
    if (byNumber && (o.state.size() != 2 || o.number.empty()))
        throw UsageError("add needs a two-letter --state and a --number");
    if (!reason)
        throw UsageError("add needs --reason CODE");
    if (o.until.empty())
        throw UsageError("add needs --until YYYY-MM-DD: every entry ends");
}

void ParseLift(ArgReader& in, AdminOptions& o) {
    while (!in.Done()) {
        const std::string arg = in.Take();
        if (arg == "--reason")
            o.liftReason = in.ValueOf(arg);
        else if (o.entryId.empty() && arg.rfind("--", 0) != 0)
            o.entryId = arg;
        else
            Unknown(arg, "lift");
    }
    if (o.entryId.empty() || o.liftReason.empty())
        throw UsageError("lift needs an entry id and --reason T");
}

void ParseListing(ArgReader& in, AdminOptions& o, const char* command) {
    while (!in.Done()) {
        const std::string arg = in.Take();
        if (arg == "--json") {
            o.json = true;
        } else if (arg == "--since" && o.command == Command::Scans) {
            const std::string text = in.ValueOf(arg);
            o.since = Venue::ParseIsoTime(text);
            if (!o.since)
                throw UsageError("--since needs an ISO time (2026-12-08 or 2026-12-08T21:00), not \"" + text + "\"");
        } else {
            Unknown(arg, command);
        }
    }
}

void ParseCommand(ArgReader& in, AdminOptions& o) {
    const std::string command = in.Take();
    if (command == "init") {
        o.command = Command::Init;
        ParseInit(in, o);
    } else if (command == "key") {
        ParseKey(in, o);
    } else if (command == "ban" || command == "flag" || command == "vip") {
        ParseAdd(in, o, command == "ban" ? ListKind::Banned : command == "flag" ? ListKind::Flagged : ListKind::Vip);
    } else if (command == "list" || command == "scans" || command == "status") {
        o.command = command == "list" ? Command::List : command == "scans" ? Command::Scans : Command::Status;
        ParseListing(in, o, command.c_str());
    } else if (command == "lift") {
        o.command = Command::Lift;
        ParseLift(in, o);
    } else if (command == "report") {
        o.command = Command::Report;
        o.reportArgs = in.Rest();
    } else if (command == "help" || command == "--help" || command == "-h") {
        o.command = Command::Help;
    } else {
        throw UsageError("unknown command: " + command);
    }
}

} // namespace

AdminOptions ParseAdminOptions(const std::vector<std::string>& args) {
    AdminOptions o;
    ArgReader in(args);
    while (!in.Done() && in.Peek().rfind("--", 0) == 0 && in.Peek() != "--help") {
        const std::string arg = in.Take();
        if (arg == "--db")
            o.db = in.ValueOf(arg);
        else if (arg == "--registry")
            o.registry = in.ValueOf(arg);
        else
            throw UsageError("unknown option: " + arg);
    }
    if (in.Done())
        throw UsageError("a command is needed");
    ParseCommand(in, o);
    return o;
}

const char* AdminUsage() {
    return "usage: kestrin-venue [--db CONNINFO] [--registry HIVE] COMMAND\n"
           "  init [--roles]                      create or upgrade the venue tables\n"
           "  key new [--file FILE]               make the venue key file (32 random bytes, mode 0640)\n"
           "  ban|flag|vip add (--scan FILE | --state XX --number N) --reason CODE --until YYYY-MM-DD\n"
           "                   [--note T] [--scope venue|group]     add a list entry; prints its id\n"
           "  list [--json]                       the list entries\n"
           "  lift ID --reason T                  lift an entry\n"
           "  scans [--since ISO-TIME] [--json]   the scan record\n"
           "  status [--json]                     per station: events waiting, last upload, list version\n"
           "  report ...                          the venue's reports\n"
           "reason codes: violence, theft, fake-id, harassment, drugs, underage-attempt, other\n"
           "exit status: 0 done, 1 nothing found, 2 usage or database error\n";
}

} // namespace VenueAdmin
