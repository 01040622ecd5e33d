#include "Settings.h"

#include "RegistryKey.h"
#include "StringTable.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <utility>

namespace Settings {
namespace {

using Resources::String;

constexpr std::size_t kTextBufferSize = 1024; // 1023 characters and the NUL

FatalReporter& Reporter() {
    static FatalReporter reporter;
    return reporter;
}

bool OpenKey(RegistryKey& key) {
    return key.Open(RegistryKey::Root::LocalMachine, String(Resources::IDS_SETTINGS_KEY), RegistryKey::kReadWrite);
}

std::string ReadText(unsigned nameId, const std::string& whenUnopenable) {
    RegistryKey key;
    if (!OpenKey(key))
        return whenUnopenable;
    std::string text;
    key.QueryText(String(nameId), text, kTextBufferSize);
    return text;
}

std::int32_t ReadNumber(unsigned nameId) {
    RegistryKey key;
    if (!OpenKey(key))
        return -1;
    std::uint32_t value = 0;
    if (!key.QueryNumber(String(nameId), value))
        return -1;
    return static_cast<std::int32_t>(value);
}

void WriteNumber(unsigned nameId, std::uint32_t value) {
    RegistryKey key;
    if (!OpenKey(key))
        FailCannotContinue();
    key.SetNumber(String(nameId), value);
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

std::string GetLogNumberText() {
    RegistryKey key;
    std::uint32_t number = 0;
    if (OpenKey(key) && !key.QueryNumber(String(Resources::IDS_LOG_NUMBER), number))
        number = 0;
    return std::to_string(number);
}

void IncrementLogNumber() {
    RegistryKey key;
    if (!OpenKey(key))
        return;
    std::uint32_t number = 0;
    if (!key.QueryNumber(String(Resources::IDS_LOG_NUMBER), number))
        number = 0;
    key.SetNumber(String(Resources::IDS_LOG_NUMBER), number + 1u); // unsigned: 4294967295 wraps to 0
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

void FailCannotContinue() {
    const std::string text = String(Resources::IDS_CANNOT_CONTINUE);
    const std::string caption = String(Resources::IDS_ERROR_CAPTION);
    if (Reporter()) {
        try {
            Reporter()(text, caption);
        } catch (...) {
            // The program ends either way.
        }
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    std::exit(1);
}

void SetFatalReporter(FatalReporter reporter) {
    Reporter() = std::move(reporter);
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
