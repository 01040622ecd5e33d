#include "SettingsReports.h"

#include "Settings.h"
#include "StringTable.h"

#include <cstdio>
#include <cstdlib>
#include <syslog.h>
#include <utility>

namespace Settings {
namespace {

FatalReporter& Fatal() {
    static FatalReporter reporter;
    return reporter;
}

WarningReporter& Warning() {
    static WarningReporter reporter;
    return reporter;
}

} // namespace

void LogCause(const std::string& line) {
    std::fprintf(stderr, "kestrin: settings: %s\n", line.c_str());
    std::fflush(stderr);
    ::syslog(LOG_USER | LOG_ERR, "settings: %s", line.c_str());
}

void Warn(const std::string& text, const std::string& cause) {
    LogCause(cause);
    if (!Warning())
        return;
    try {
        Warning()(text);
    } catch (...) {
        // The cause is logged; the station goes on without the box.
    }
}

void FailCannotContinue(const std::string& cause) {
    if (!cause.empty())
        LogCause(cause);
    const std::string text = Resources::String(Resources::IDS_CANNOT_CONTINUE);
    const std::string caption = Resources::String(Resources::IDS_ERROR_CAPTION);
    if (Fatal()) {
        try {
            Fatal()(text, caption);
        } catch (...) {
            // The program ends either way.
        }
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    std::exit(1);
}

void SetFatalReporter(FatalReporter reporter) {
    Fatal() = std::move(reporter);
}

void SetWarningReporter(WarningReporter reporter) {
    Warning() = std::move(reporter);
}

} // namespace Settings
