#include "UnreadableScan.h"

#include <utility>

namespace MagneticStripeCards {

UnreadableScan::UnreadableScan(const std::string& unknown, CardWarning reason)
    : std::logic_error(unknown), m_reason(std::make_shared<const CardWarning>(std::move(reason))) {}

} // namespace MagneticStripeCards
