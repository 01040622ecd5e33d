#pragma once
// The unknown-swipe file: every scan the decoder rejects is appended to "unknowndl.txt" in the log folder,
// followed by two line feeds, so an operator or kestrin-decode --batch can look at it later. The station
// and kestrin-decode install it as the decoder's unknown-scan sink.
//
// The file is bounded: an append that takes it past kRotateBytes renames it to "unknowndl.txt.1" (the one
// previous generation kept, an older one replaced), and the next append starts a new file. Appends and the
// rotation happen under an flock of the file, so the station and kestrin-decode never lose each other's
// scans in a rotation.

#include "UnknownScanSink.h"

#include <cstdint>
#include <string>

namespace MagneticStripeCards {

class UnknownSwipeFile final : public UnknownScanSink {
public:
    void Reject(const std::string& text) noexcept override { Append(text); }

    // Appends `text` and two line feeds in one write to the file in the resolved log folder. Failures are
    // silent: the scan is rejected either way.
    static void Append(const std::string& text) noexcept;

    // The same into `folder`, which is created (one level) when missing. The file is created readable and
    // writable by owner and group only, since it holds licence data; a symbolic link, a hard link or a
    // stranger's file in its place is not written to. False when nothing was appended.
    static bool AppendTo(const std::string& folder, const std::string& text);

    static constexpr std::uint64_t kRotateBytes = 1024 * 1024;
    static constexpr const char* kPreviousSuffix = ".1";
};

} // namespace MagneticStripeCards
