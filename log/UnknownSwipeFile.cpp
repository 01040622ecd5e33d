#include "UnknownSwipeFile.h"

#include "FolderFiles.h"
#include "PaymentCard.h"
#include "PosixFile.h"
#include "PrivacyProfile.h"
#include "Settings.h"
#include "StringTable.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace MagneticStripeCards {
namespace {

// Another writer holds the file only for one append (and perhaps a rename); a scan is never held up for
// long behind it.
constexpr auto kLockWait = std::chrono::milliseconds(300);

std::string FileName() {
    return Resources::PathString(Resources::IDS_UNKNOWN_FILE).substr(1); // without the leading separator
}

// The file under its name, locked by this process; a file renamed away by another writer's rotation while
// this one waited for it is left for the new one.
Base::UniqueFd OpenLocked(int folder, const std::string& name) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    for (int attempt = 0; attempt < 3; ++attempt) {
        Base::FolderFile file = Base::OpenFolderFile(folder, name, O_WRONLY | O_APPEND);
        if (!file.fd.Valid() || !Base::LockWithin(file.fd.Get(), deadline))
            return {};
        if (Base::StillNamed(folder, name, file.fd.Get()))
            return std::move(file.fd);
    }
    return {};
}

void RotateIfPast(int folder, const std::string& folderPath, const std::string& name, int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || static_cast<std::uint64_t>(info.st_size) <= UnknownSwipeFile::kRotateBytes)
        return;
    const std::string previous = name + UnknownSwipeFile::kPreviousSuffix;
    if (::renameat(folder, name.c_str(), folder, previous.c_str()) == 0)
        Base::SyncFolder(folderPath);
}

} // namespace

void UnknownSwipeFile::Append(const std::string& text) noexcept {
    try {
        if (!PrivacyProfile::FromSettings().WritesUnknownScans())
            return;
        // Bank card numbers are never kept whole (PCI DSS).
        AppendTo(Settings::ResolvedLogFolder(), MaskPaymentCards(text));
    } catch (...) {
        // Building the path can run out of memory; the scan is rejected all the same.
    }
}

bool UnknownSwipeFile::AppendTo(const std::string& folderPath, const std::string& text) {
    const Base::UniqueFd folder = Base::OpenFolder(folderPath, true);
    if (!folder.Valid())
        return false;
    const std::string name = FileName();
    const Base::UniqueFd file = OpenLocked(folder.Get(), name);
    if (!file.Valid())
        return false;
    // One write with O_APPEND keeps the scan and its blank line together even with other writers.
    const bool written = Base::WriteAll(file.Get(), text + "\n\n");
    ::fsync(file.Get());
    RotateIfPast(folder.Get(), folderPath, name, file.Get());
    return written;
}

} // namespace MagneticStripeCards
