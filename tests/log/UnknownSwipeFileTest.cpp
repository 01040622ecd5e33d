// The unknown-swipe file as the station installs it: rejected scans land in "<log folder>/unknowndl.txt",
// each followed by two line feeds, in a file only owner and group may read and write.

#include "TempHive.h"

#include "Card.h"
#include "UnknownSwipeFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

using MagneticStripeCards::Card;
using MagneticStripeCards::FixedClock;
using MagneticStripeCards::ScopedUnknownScanSink;
using MagneticStripeCards::UnknownSwipeFile;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(UnknownSwipeFile, RejectedScansLandInTheLogFolderForTheGroupOnly) {
    const mode_t mask = ::umask(077);
    const TempSettings settings;
    UnknownSwipeFile file;
    const ScopedUnknownScanSink sink(&file);
    const std::string path = (settings.LogFolder() / "unknowndl.txt").string();
    EXPECT_THROW(Card("?", FixedClock(2007, 3, 10)), std::logic_error);
    EXPECT_THROW(Card("!\r", FixedClock(2007, 3, 10)), std::logic_error);
    EXPECT_EQ(Read(path), "?\n\n!\n\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0660U);
    ::umask(mask);
}

TEST(UnknownSwipeFile, NothingIsWrittenWithoutTheSink) {
    const TempSettings settings;
    EXPECT_THROW(Card("?", FixedClock(2007, 3, 10)), std::logic_error);
    EXPECT_EQ(Read((settings.LogFolder() / "unknowndl.txt").string()), "<missing>");
}

} // namespace
