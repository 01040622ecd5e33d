#pragma once
// The few POSIX file steps that the settings hive, the scan log and the unknown-swipe file share.

#include <string>

namespace Base {

// write() until every byte is out, retrying on EINTR; false on an error or a write of nothing.
bool WriteAll(int fd, const std::string& bytes);

// fsync of a folder, so that a file just created or renamed in it keeps its directory entry after a
// power cut. Failures are ignored: the file's own bytes are already flushed.
void SyncFolder(const std::string& folder);

} // namespace Base
