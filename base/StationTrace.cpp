#include "StationTrace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace StationTrace {

bool Enabled() {
    static const bool enabled = std::getenv("KESTRIN_TRACE") != nullptr;
    return enabled;
}

void Line(const std::string& what) {
    if (!Enabled())
        return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    std::fprintf(stderr, "kestrin-trace %lld %s\n", ms, what.c_str());
    std::fflush(stderr);
}

long long MsSinceProcessStart() {
    // Field 22 of /proc/self/stat: start time in clock ticks after boot; CLOCK_BOOTTIME counts from boot.
    std::ifstream stat("/proc/self/stat");
    std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t afterName = content.rfind(')');
    if (afterName == std::string::npos)
        return -1;
    std::istringstream fields(content.substr(afterName + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const long long startTicks = std::atoll(field.c_str());
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const long long nowMs = static_cast<long long>(boot.tv_sec) * 1000 + boot.tv_nsec / 1000000;
    return nowMs - startTicks * 1000 / sysconf(_SC_CLK_TCK);
}

} // namespace StationTrace
