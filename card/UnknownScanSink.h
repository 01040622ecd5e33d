#pragma once
// Where the decoder hands a scan it rejects. The decoder does no I/O of its own: the station and
// kestrin-decode install a sink that appends the text to the unknown-swipe file; with none installed the
// text goes nowhere (tests, benchmarks and the fuzzer).

#include <string>

namespace MagneticStripeCards {

class UnknownScanSink {
public:
    virtual ~UnknownScanSink() = default;
    // `text` is the matcher's subject when decoding failed. Must not throw: the scan is rejected either way.
    virtual void Reject(const std::string& text) noexcept = 0;
};

// The sink every Card reports its rejection to; returns the one installed before. The caller keeps the
// sink alive while it is installed.
UnknownScanSink* InstallUnknownScanSink(UnknownScanSink* sink) noexcept;
UnknownScanSink* InstalledUnknownScanSink() noexcept;

// Installs a sink for its own lifetime and puts the previous one back after.
class ScopedUnknownScanSink {
public:
    explicit ScopedUnknownScanSink(UnknownScanSink* sink) noexcept : m_previous(InstallUnknownScanSink(sink)) {}
    ~ScopedUnknownScanSink() { InstallUnknownScanSink(m_previous); }
    ScopedUnknownScanSink(const ScopedUnknownScanSink&) = delete;
    ScopedUnknownScanSink& operator=(const ScopedUnknownScanSink&) = delete;

private:
    UnknownScanSink* m_previous;
};

} // namespace MagneticStripeCards
