#pragma once
// The unknown-swipe file: every scan the decoder rejects is appended to "unknowndl.txt" in the log folder,
// followed by two line feeds, so an operator or kestrin-decode --batch can look at it later. The station
// and kestrin-decode install it as the decoder's unknown-scan sink.

#include "UnknownScanSink.h"

#include <string>

namespace MagneticStripeCards {

class UnknownSwipeFile final : public UnknownScanSink {
public:
    void Reject(const std::string& text) noexcept override { Append(text); }

    // <resolved log folder>/unknowndl.txt
    static std::string Path();

    // Appends `text` and two line feeds in one write. The folder is created (one level) when missing; the
    // file is created readable by owner and group only, since it holds licence data. Failures are silent:
    // the scan is rejected either way.
    static void Append(const std::string& text) noexcept;
};

} // namespace MagneticStripeCards
