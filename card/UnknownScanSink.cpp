#include "UnknownScanSink.h"

#include <atomic>

namespace MagneticStripeCards {
namespace {
std::atomic<UnknownScanSink*> g_sink{nullptr};
}

UnknownScanSink* InstallUnknownScanSink(UnknownScanSink* sink) noexcept {
    return g_sink.exchange(sink);
}

UnknownScanSink* InstalledUnknownScanSink() noexcept {
    return g_sink.load();
}

} // namespace MagneticStripeCards
