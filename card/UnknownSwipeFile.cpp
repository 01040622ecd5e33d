#include "UnknownSwipeFile.h"

#include "Settings.h"
#include "StringTable.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace MagneticStripeCards {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// writev until everything is out; O_APPEND keeps each chunk at the end even with other writers.
void WriteAll(int fd, const char* data, std::size_t size) {
    static const char kTwoLineFeeds[] = "\n\n";
    std::size_t done = 0;
    const std::size_t total = size + 2;
    while (done < total) {
        iovec parts[2];
        int count = 0;
        if (done < size)
            parts[count++] = iovec{const_cast<char*>(data + done), size - done};
        const std::size_t tailDone = done > size ? done - size : 0;
        parts[count++] = iovec{const_cast<char*>(kTwoLineFeeds + tailDone), 2 - tailDone};
        const ssize_t written = ::writev(fd, parts, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        done += static_cast<std::size_t>(written);
    }
}

} // namespace

std::string UnknownSwipeFile::Path() {
    return Settings::ResolvedLogFolder() + Resources::PathString(Resources::IDS_UNKNOWN_FILE);
}

void UnknownSwipeFile::Append(const std::string& text) noexcept {
    try {
        const std::string folder = Settings::ResolvedLogFolder();
        if (!folder.empty())
            ::mkdir(folder.c_str(), 0750); // an existing folder is fine; any other failure shows at open
        const std::string path = folder + Resources::PathString(Resources::IDS_UNKNOWN_FILE);
        const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0640));
        if (file.Get() < 0)
            return;
        WriteAll(file.Get(), text.data(), text.size());
        ::fsync(file.Get());
    } catch (...) {
        // Building the path can run out of memory; the scan is rejected all the same.
    }
}

} // namespace MagneticStripeCards
