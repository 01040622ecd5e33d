// Placeholder store that behaves as if the settings key could not be opened; replaced by the hive-file
// backend.
#include "Settings.h"

#include "StringTable.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <utility>

namespace Settings {
namespace {
FatalReporter& Reporter() {
    static FatalReporter reporter;
    return reporter;
}
} // namespace

std::string GetLogFolder() { return Resources::String(Resources::IDS_DEFAULT_LOG_FOLDER); }
std::string GetLogName() { return Resources::String(Resources::IDS_DEFAULT_LOG_NAME); }
std::string GetAppFolder() { return {}; }
std::string GetLogNumberText() { return "0"; }
void IncrementLogNumber() {}
std::int32_t GetEnableLog() { return -1; }
std::int32_t GetEnableOntop() { return -1; }
std::int32_t GetEnableComments() { return -1; }
std::int32_t GetCountValidOnly() { return -1; }
std::int32_t GetValidAge() { return -1; }
void SetEnableLog(bool) { FailCannotContinue(); }
void SetEnableOntop(bool) { FailCannotContinue(); }
void SetEnableComments(bool) { FailCannotContinue(); }
void SetCountValidOnly(bool) { FailCannotContinue(); }
void SetValidAge(std::int32_t) { FailCannotContinue(); }

void FailCannotContinue() {
    const std::string text = Resources::String(Resources::IDS_CANNOT_CONTINUE);
    const std::string caption = Resources::String(Resources::IDS_ERROR_CAPTION);
    if (Reporter())
        Reporter()(text, caption);
    else
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::exit(1);
}

void SetFatalReporter(FatalReporter reporter) { Reporter() = std::move(reporter); }

std::string HivePath() {
    const char* env = std::getenv("KESTRIN_REGISTRY");
    return env && *env ? env : "/var/lib/kestrin/registry.reg";
}

const std::string& StartDirectory() {
    static const std::string dir = [] {
        char buf[4096];
        return getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
    }();
    return dir;
}

std::string ResolvedLogFolder() {
    const std::string folder = GetLogFolder();
    if (!folder.empty() && folder.front() == '/')
        return folder;
    return folder.empty() ? StartDirectory() : StartDirectory() + "/" + folder;
}

} // namespace Settings
