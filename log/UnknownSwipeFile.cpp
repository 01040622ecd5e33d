#include "UnknownSwipeFile.h"

#include "PaymentCard.h"
#include "PosixFile.h"
#include "Settings.h"
#include "StringTable.h"
#include "UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace MagneticStripeCards {

std::string UnknownSwipeFile::Path() {
    return Settings::ResolvedLogFolder() + Resources::PathString(Resources::IDS_UNKNOWN_FILE);
}

void UnknownSwipeFile::Append(const std::string& text) noexcept {
    try {
        const std::string folder = Settings::ResolvedLogFolder();
        if (!folder.empty())
            ::mkdir(folder.c_str(), 0750); // an existing folder is fine; any other failure shows at open
        const std::string path = folder + Resources::PathString(Resources::IDS_UNKNOWN_FILE);
        const Base::UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0640));
        if (!file.Valid())
            return;
        // One write with O_APPEND keeps the scan and its blank line together even with other writers.
        Base::WriteAll(file.Get(), MaskPaymentCards(text) + "\n\n");
        ::fsync(file.Get());
    } catch (...) {
        // Building the path can run out of memory; the scan is rejected all the same.
    }
}

} // namespace MagneticStripeCards
