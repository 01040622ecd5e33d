#pragma once
// The settings store: one reader or writer per value under SOFTWARE\Orbelon\Kestrin. Nothing is cached;
// every call opens the key, reads or writes one value and closes it again, so a change made anywhere is
// seen by the next read. The key is never created here: the installer puts it in place.

#include <cstdint>
#include <functional>
#include <string>

namespace Settings {

std::string GetLogFolder();     // "My Log Files" when the key cannot be opened, empty when the value is missing
std::string GetLogName();       // "Kestrin Log" when the key cannot be opened, empty when missing
std::string GetAppFolder();     // empty when the key cannot be opened or the value is missing
std::string GetReaderLayout();  // "Reader Layout": "us" or "desktop"; empty when unopenable or missing
std::string GetLogNumberText(); // "Log Number" as unsigned decimal; "0" when missing
void IncrementLogNumber();      // +1 with 32-bit wrap; does nothing when the key cannot be opened

// Number readers give -1 for a missing value (or one of another type) and when the key cannot be opened.
std::int32_t GetEnableLog();
std::int32_t GetEnableOntop();
std::int32_t GetEnableComments();
std::int32_t GetCountValidOnly();
std::int32_t GetValidAge();

// Writers end the program through FailCannotContinue when the key cannot be opened.
void SetEnableLog(bool on);
void SetEnableOntop(bool on);
void SetEnableComments(bool on);
void SetCountValidOnly(bool on);
void SetValidAge(std::int32_t age);

// Shows "Cannot continue.\nPlease reinstall the program!" (caption "error") and exits with code 1.
[[noreturn]] void FailCannotContinue();

// How the fatal message reaches the user. Without a reporter it goes to standard error; the station
// installs one that shows a message box. The reporter returns when the user has acknowledged it.
using FatalReporter = std::function<void(const std::string& text, const std::string& caption)>;
void SetFatalReporter(FatalReporter reporter);

// Path of the settings hive file: $KESTRIN_REGISTRY, else /var/lib/kestrin/registry.reg.
std::string HivePath();

// The log folder as files are written to it: GetLogFolder(), and when that is relative, anchored at the
// directory the program was started in (never at whatever directory happens to be current).
std::string ResolvedLogFolder();

// The directory the process was started in, captured once.
const std::string& StartDirectory();

} // namespace Settings
