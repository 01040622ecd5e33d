#pragma once
// A scan the decoder rejects for a reason worth telling: kestrin-decode prints it on standard error and
// among the warnings of its JSON. It is the usual std::logic_error "Unknown DL", so code that only needs
// to know that the scan is unknown treats it like any other rejection.

#include "CardWarnings.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace MagneticStripeCards {

class UnreadableScan : public std::logic_error {
public:
    UnreadableScan(const std::string& unknown, CardWarning reason);
    const CardWarning& Reason() const noexcept { return *m_reason; }

private:
    std::shared_ptr<const CardWarning> m_reason; // shared: copying an exception must not throw
};

} // namespace MagneticStripeCards
