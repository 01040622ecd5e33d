#pragma once
// The settings store: one reader or writer per value under SOFTWARE\Orbelon\Kestrin. Every call reads the
// hive as it is now, so a change made anywhere is seen by the next read. The key is never created here:
// the installer puts it in place.
//
// A station must keep going on settings it can trust, so the store remembers, per hive file, the value
// each name had at its last successful read:
// - A read that cannot open the key once the program has read it successfully (the hive was damaged,
//   emptied, made unreadable or replaced by something that does not parse) gives that last value, and the
//   failure is reported once (standard error, the system journal and the warning reporter) until a read
//   succeeds again. Before any successful read the defaults below hold.
// - Reads take no lock and never wait. A write waits at most RegistryKey::kWritePatience for the hive's
//   lock; when another process holds it longer (or the new file cannot be written) the change is kept in
//   memory, reported once, read back by every reader, and stored with the next write.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace Settings {

// Text readers. Once a text value has been read, a later read that finds it gone keeps the value read last:
// the installer puts these values in place and the program never removes them, so a gap is damage.
std::string GetLogFolder(); // "My Log Files" when the key cannot be opened, empty when the value is missing
std::string GetLogName();   // "Kestrin Log" when the key cannot be opened, empty when missing
std::string GetAppFolder(); // empty when the key cannot be opened or the value is missing

// "Reader Layout": "us" or "desktop"; empty when the key cannot be opened or the value is missing.
std::string GetReaderLayout();

// "mDL Trust Folder": the IACA certificates and trust lists mobile licences are checked against;
// /var/lib/kestrin/mdl-trust when the value is missing or the key cannot be opened.
std::string GetMdlTrustFolder();

std::string GetLogNumberText(); // "Log Number" as unsigned decimal; "0" when missing
// +1 with 32-bit wrap, atomically across processes; the number stored, which is this run's own. Nothing
// when the key cannot be opened or the change could not be stored.
std::optional<std::uint32_t> IncrementLogNumber();

// Number readers give -1 for a missing value (or one of another type) and when the key cannot be opened.
std::int32_t GetEnableLog();
std::int32_t GetEnableOntop();
std::int32_t GetEnableComments();
std::int32_t GetCountValidOnly();
std::int32_t GetValidAge();        // for the Set Valid Age dialog: -1 when missing
std::int32_t GetKeepDays();        // days a log or unknown-swipe file is kept; -1 (missing) or 0: for ever
std::int32_t GetLogPersonalData(); // 0: log rows without the holder's personal data; -1 (missing) or 1: with

// The valid age a verdict is judged by: the stored "Valid Age"; when it cannot be read (missing, or the
// hive unreadable or damaged) the last value read, else 21. A failed read never makes a minor valid.
std::int32_t VerdictValidAge();
// Whether "Valid Age" is stored as a number; false also when the key cannot be opened.
bool HasValidAge();
// "Full Screen" (1: the station starts full screen); -1 when missing.
std::int32_t GetFullScreen();
// "Verdict Delay" in milliseconds; -1 when missing (the scan cycle's adaptive rule).
std::int32_t GetVerdictDelay();

// The venue's values; each is empty (or -1) when missing or when the key cannot be opened, and the venue
// store puts its own defaults in place then. Optional values: a value that is gone is gone, not damage.
std::string GetVenueDatabase();  // "Venue Database": a libpq connection string or URI
std::string GetVenue();          // "Venue": the venue's short name
std::string GetStationName();    // "Station Name"
std::string GetVenueKeyFile();   // "Venue Key File"
std::string GetPrivacyProfile(); // "Privacy Profile": full, minimal, name-and-number, no-retention
std::int32_t GetRepeatMinutes(); // "Repeat Minutes"

// Tonight's reports and the inside count. "Day Starts At": the hour (0-23) at which one night's count and
// report begin, so a night past midnight stays one night; 6 when missing or out of range.
// "Capacity": people the venue may hold; -1 when missing (the count is shown alone).
std::int32_t GetDayStartsAt();
std::int32_t GetCapacity();

// Writers end the program through FailCannotContinue when the key cannot be opened.
void SetEnableLog(bool on);
void SetEnableOntop(bool on);
void SetEnableComments(bool on);
void SetCountValidOnly(bool on);
void SetValidAge(std::int32_t age);

// Stores the changes still kept in memory (see above); true when none is left. For the end of the program.
bool SaveDeferredChanges();

// Shows "Cannot continue.\nPlease reinstall the program!" (caption "error") and exits with code 1. The
// cause (which file, which operation, the system's error text) goes to standard error and the journal.
[[noreturn]] void FailCannotContinue(const std::string& cause = {});

// How the fatal message reaches the user. Without a reporter it goes to standard error; the station
// installs one that shows a message box. The reporter returns when the user has acknowledged it.
using FatalReporter = std::function<void(const std::string& text, const std::string& caption)>;
void SetFatalReporter(FatalReporter reporter);

// How a settings failure that the station survives reaches the operator (once per failure): the station
// installs one that shows a non-modal box. It may be called while the station paints, so it must not
// block. The cause is on standard error and in the journal already.
using WarningReporter = std::function<void(const std::string& text)>;
void SetWarningReporter(WarningReporter reporter);

// Path of the settings hive file: $KESTRIN_REGISTRY, else /var/lib/kestrin/registry.reg.
std::string HivePath();

// The log folder as files are written to it: GetLogFolder(), and when that is relative, anchored at the
// directory the program was started in (never at whatever directory happens to be current).
std::string ResolvedLogFolder();

// The directory the process was started in, captured once.
const std::string& StartDirectory();

} // namespace Settings
