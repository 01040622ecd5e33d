#include "Settings.h"

#include "HiveFile.h"
#include "HiveMemory.h"
#include "RegistryKey.h"
#include "SettingsReports.h"
#include "StringTable.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace Settings {
namespace {

using Resources::String;
using Value = HiveFile::Value;
using ValueType = HiveFile::ValueType;
using NumberChange = RegistryKey::NumberChange;

constexpr std::size_t kTextBufferSize = 1024; // 1023 characters and the NUL
constexpr std::int32_t kSafeValidAge = 21;    // the common legal age; never "anyone is valid"

using Trouble = HiveMemory::Trouble;
const char kKeyFailure[] = "the key";
const char kChangeFailure[] = "changes";

// Short lines keep the box narrower than the station, over which it is shown.
const char kCannotReadText[] = "The settings cannot be read.\nThe station goes on with the settings it read last.";
const char kValueGoneText[] = "A setting is missing.\nThe station goes on with the value it read last.";
const char kCannotSaveText[] = "A setting cannot be saved now.\nThe station keeps it and saves it\nwith the next "
                               "change of a setting.";

// A value's name: its string-table entry, or spelled out for a value the string table does not carry.
// Every getter is one line over ReadText, ReadNumber or ReadNumberOr, every setter over WriteNumber.
struct ValueName {
    ValueName(unsigned id) : text(String(id)) {}
    ValueName(const char* name) : text(name) {}
    std::string text;
};

bool OpenKey(RegistryKey& key) {
    return key.Open(RegistryKey::Root::LocalMachine, String(Resources::IDS_SETTINGS_KEY), RegistryKey::kReadWrite);
}

std::optional<Value> Query(const RegistryKey& key, const std::string& name, ValueType type) {
    if (type == ValueType::Number) {
        std::uint32_t number = 0;
        return key.QueryNumber(name, number) ? std::optional<Value>(Value{type, {}, number}) : std::nullopt;
    }
    std::string text;
    return key.QueryText(name, text, kTextBufferSize) ? std::optional<Value>(Value{type, text, 0}) : std::nullopt;
}

std::optional<Value> OfType(const std::optional<Value>& value, ValueType type) {
    return value && value->type == type ? value : std::nullopt;
}

// What a reader of a missing value gets: the store's own result for a missing value, or the last
// value read when a missing value means damage.
enum class WhenMissing { Missing, LastFound };

// The value the station uses now, or nothing; `known` is false while this value has never been read from
// this hive, and the readers' results for a key that cannot be opened hold.
struct Lookup {
    std::optional<Value> value;
    bool known = false;
};

Lookup AfterFailedOpen(HiveMemory& memory, const std::string& name, ValueType type, WhenMissing whenMissing,
                       const std::string& cause) {
    if (memory.EverOpened() && memory.Begin(Trouble::Reading, kKeyFailure))
        Warn(kCannotReadText, "cannot read the settings, going on with the values read last: " + cause);
    if (!memory.Knows(name))
        return {};
    const auto last = whenMissing == WhenMissing::LastFound ? memory.LastFound(name) : memory.LastRead(name);
    return {OfType(last, type), true};
}

// The key opens, so reading no longer fails for that; a value that was gone and is back again ends its
// failure at whatever read comes first, not only at the next read of that value.
void EndMendedFailures(HiveMemory& memory, const RegistryKey& key) {
    bool ended = memory.End(Trouble::Reading, kKeyFailure);
    for (const std::string& name : memory.Failures(Trouble::Reading)) {
        const auto last = memory.LastFound(name);
        if (last && Query(key, name, last->type))
            ended = memory.End(Trouble::Reading, name) || ended;
    }
    if (ended)
        LogCause("the settings can be read again: " + HivePath());
}

Lookup AfterOpen(HiveMemory& memory, const RegistryKey& key, const std::string& name, ValueType type,
                 WhenMissing whenMissing) {
    memory.KeyOpened();
    EndMendedFailures(memory, key);
    const auto found = Query(key, name, type);
    if (!found && whenMissing == WhenMissing::LastFound) {
        if (const auto last = OfType(memory.LastFound(name), type)) {
            if (memory.Begin(Trouble::Reading, name))
                Warn(kValueGoneText,
                     "\"" + name + "\" is missing from " + HivePath() + ", going on with the value read last");
            return {last, true};
        }
    }
    memory.Remember(name, found);
    return {found, true};
}

Lookup Look(const ValueName& valueName, ValueType type, WhenMissing whenMissing) {
    const std::string& name = valueName.text;
    HiveMemory& memory = HiveMemory::Of(HivePath());
    if (const auto deferred = memory.Deferred(name); deferred && type == ValueType::Number)
        return {Value{type, {}, *deferred}, true};
    RegistryKey key;
    if (!OpenKey(key))
        return AfterFailedOpen(memory, name, type, whenMissing, key.LastError());
    return AfterOpen(memory, key, name, type, whenMissing);
}

std::string ReadText(const ValueName& name, const std::string& whenUnopenable) {
    const Lookup got = Look(name, ValueType::Text, WhenMissing::LastFound);
    if (got.value)
        return got.value->text;
    return got.known ? std::string() : whenUnopenable;
}

// An optional text: empty when missing now, whatever it was before.
std::string ReadOptionalText(const ValueName& name) {
    const Lookup got = Look(name, ValueType::Text, WhenMissing::Missing);
    return got.value ? got.value->text : std::string();
}

// The store's number read: -1 when the value is missing or the key cannot be opened.
std::int32_t ReadNumber(const ValueName& name) {
    const Lookup got = Look(name, ValueType::Number, WhenMissing::Missing);
    return got.value ? static_cast<std::int32_t>(got.value->number) : -1;
}

// A number with a default of its own: the stored value; when it is missing or cannot be read, the value
// read last, else `absent`.
std::int32_t ReadNumberOr(const ValueName& name, std::int32_t absent) {
    const Lookup got = Look(name, ValueType::Number, WhenMissing::LastFound);
    return got.value ? static_cast<std::int32_t>(got.value->number) : absent;
}

// Stores `changes` together with every change still waiting, in one replacement of the hive. When the lock
// is held elsewhere or the new file cannot be written, the waiting changes go on waiting (reported once).
RegistryKey::Status Store(HiveMemory& memory, RegistryKey& key, std::vector<NumberChange>& changes) {
    std::vector<NumberChange> all = memory.DeferredChanges();
    const std::size_t waiting = all.size();
    all.insert(all.end(), changes.begin(), changes.end());
    const RegistryKey::Status status = key.Change(all);
    if (status == RegistryKey::Status::Ok) {
        memory.KeyOpened();
        memory.Stored(all);
        if (memory.End(Trouble::Writing, kChangeFailure))
            LogCause("the settings are saved again: " + HivePath());
        changes.assign(all.begin() + static_cast<std::ptrdiff_t>(waiting), all.end());
    } else if (status != RegistryKey::Status::Unopenable && memory.Begin(Trouble::Writing, kChangeFailure)) {
        Warn(kCannotSaveText, "cannot save the settings, keeping the change in memory: " + key.LastError());
    }
    return status;
}

void WriteNumber(const ValueName& valueName, std::uint32_t value) {
    const std::string& name = valueName.text;
    HiveMemory& memory = HiveMemory::Of(HivePath());
    RegistryKey key;
    if (!OpenKey(key))
        FailCannotContinue("cannot write \"" + name + "\": " + key.LastError());
    memory.Defer(name, value); // stored below, or kept until a later write can store it
    std::vector<NumberChange> none;
    if (Store(memory, key, none) == RegistryKey::Status::Unopenable)
        FailCannotContinue("cannot write \"" + name + "\": " + key.LastError());
}

// Captured while static objects are built, before anything could change the current directory.
const bool kStartDirectoryCaptured = !StartDirectory().empty();

} // namespace

std::string GetLogFolder() {
    return ReadText(Resources::IDS_LOG_FOLDER, String(Resources::IDS_DEFAULT_LOG_FOLDER));
}
std::string GetLogName() {
    return ReadText(Resources::IDS_LOG_NAME, String(Resources::IDS_DEFAULT_LOG_NAME));
}
std::string GetAppFolder() {
    return ReadText(Resources::IDS_APP_FOLDER, {});
}
std::string GetReaderLayout() {
    return ReadText(Resources::IDS_READER_LAYOUT, {});
}
std::string GetMdlTrustFolder() {
    const std::string folder = ReadText(Resources::IDS_MDL_TRUST_FOLDER, {});
    return folder.empty() ? std::string("/var/lib/kestrin/mdl-trust") : folder;
}

std::string GetLogNumberText() {
    const Lookup got = Look(Resources::IDS_LOG_NUMBER, ValueType::Number, WhenMissing::Missing);
    return std::to_string(got.value ? got.value->number : 0u);
}

std::optional<std::uint32_t> IncrementLogNumber() {
    RegistryKey key;
    if (!OpenKey(key))
        return std::nullopt;
    // Not kept for later when it cannot be stored: a run number is only this run's own once it is stored.
    std::vector<NumberChange> raise{{String(Resources::IDS_LOG_NUMBER), 1, true}};
    const RegistryKey::Status status = Store(HiveMemory::Of(HivePath()), key, raise);
    if (status == RegistryKey::Status::Unopenable)
        LogCause("cannot raise \"Log Number\": " + key.LastError());
    if (status != RegistryKey::Status::Ok)
        return std::nullopt;
    return raise.front().value;
}

std::int32_t GetEnableLog() {
    return ReadNumber(Resources::IDS_ENABLE_LOG);
}
std::int32_t GetEnableOntop() {
    return ReadNumber(Resources::IDS_ENABLE_ONTOP);
}
std::int32_t GetEnableComments() {
    return ReadNumber(Resources::IDS_ENABLE_COMMENTS);
}
std::int32_t GetCountValidOnly() {
    return ReadNumber(Resources::IDS_COUNT_VALID_ONLY);
}
std::int32_t GetValidAge() {
    return ReadNumber(Resources::IDS_VALID_AGE);
}
std::int32_t VerdictValidAge() {
    return ReadNumberOr(Resources::IDS_VALID_AGE, kSafeValidAge);
}
std::int32_t GetKeepDays() {
    return ReadNumber(Resources::IDS_KEEP_DAYS);
}
std::int32_t GetLogPersonalData() {
    return ReadNumber(Resources::IDS_LOG_PERSONAL_DATA);
}
bool HasValidAge() {
    return Look(Resources::IDS_VALID_AGE, ValueType::Number, WhenMissing::Missing).value.has_value();
}
std::int32_t GetFullScreen() {
    return ReadNumber(Resources::IDS_FULL_SCREEN);
}
std::int32_t GetDayStartsAt() {
    constexpr std::int32_t kMorning = 6; // a night's last guests are gone, the next night's are not in yet
    const std::int32_t hour = ReadNumberOr("Day Starts At", kMorning);
    return hour >= 0 && hour <= 23 ? hour : kMorning;
}
std::int32_t GetCapacity() {
    return ReadNumber("Capacity");
}

std::int32_t GetVerdictDelay() {
    return ReadNumber(Resources::IDS_VERDICT_DELAY);
}

std::string GetVenueDatabase() {
    return ReadOptionalText("Venue Database");
}
std::string GetVenue() {
    return ReadOptionalText("Venue");
}
std::string GetStationName() {
    return ReadOptionalText("Station Name");
}
std::string GetVenueKeyFile() {
    return ReadOptionalText("Venue Key File");
}
std::string GetPrivacyProfile() {
    return ReadOptionalText("Privacy Profile");
}
std::int32_t GetRepeatMinutes() {
    return ReadNumber("Repeat Minutes");
}

void SetEnableLog(bool on) {
    WriteNumber(Resources::IDS_ENABLE_LOG, on ? 1 : 0);
}
void SetEnableOntop(bool on) {
    WriteNumber(Resources::IDS_ENABLE_ONTOP, on ? 1 : 0);
}
void SetEnableComments(bool on) {
    WriteNumber(Resources::IDS_ENABLE_COMMENTS, on ? 1 : 0);
}
void SetCountValidOnly(bool on) {
    WriteNumber(Resources::IDS_COUNT_VALID_ONLY, on ? 1 : 0);
}
void SetValidAge(std::int32_t age) {
    WriteNumber(Resources::IDS_VALID_AGE, static_cast<std::uint32_t>(age));
}

bool SaveDeferredChanges() {
    HiveMemory& memory = HiveMemory::Of(HivePath());
    if (memory.DeferredChanges().empty())
        return true;
    RegistryKey key;
    std::vector<NumberChange> none;
    if (OpenKey(key) && Store(memory, key, none) == RegistryKey::Status::Ok)
        return true;
    LogCause("settings changed in this run and never saved: " +
             (key.LastError().empty() ? HivePath() : key.LastError()));
    return false;
}

std::string HivePath() {
    const char* env = std::getenv("KESTRIN_REGISTRY");
    return env && *env ? env : "/var/lib/kestrin/registry.reg";
}

const std::string& StartDirectory() {
    static const std::string dir = [] {
        std::string buf(4096, '\0');
        if (!getcwd(buf.data(), buf.size()))
            return std::string(".");
        buf.resize(buf.find('\0'));
        return buf;
    }();
    return dir;
}

std::string ResolvedLogFolder() {
    (void)kStartDirectoryCaptured;
    const std::string folder = GetLogFolder();
    if (!folder.empty() && folder.front() == '/')
        return folder;
    if (folder.empty())
        return StartDirectory();
    return StartDirectory() + "/" + folder;
}

} // namespace Settings
