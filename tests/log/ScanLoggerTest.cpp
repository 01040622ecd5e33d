#include "FakeLogPrompts.h"
#include "TempHive.h"

#include "Clock.h"
#include "ScanLogger.h"
#include "StringTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

const std::string kHeader = Resources::String(Resources::IDS_LOG_HEADER);

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ScanLoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        hive.Write({{"Log Folder", hive.Dir()}, {"Log Name", std::string("Door")}, {"Log Number", std::uint32_t{3}}});
    }
    std::string LastLine() const {
        const std::string text = Read(hive.Dir() + "/Door 2005 Jan #3.csv");
        const std::size_t end = text.rfind("\r\n");
        const std::size_t start = text.rfind("\r\n", end - 1);
        return text.substr(start + 2, end - start - 2);
    }

    TempHive hive;
    FakeLogPrompts prompts;
    const MagneticStripeCards::FixedClock clock{2005, 1, 2, 9, 5, 3};
    const std::string row = "\"Sun Jan 02 09:05:03 2005\",\"DOE$JOHN\"";
};

// The station's order: the row is on disk before the verdict, the comments come into it afterwards.
TEST_F(ScanLoggerTest, RowFirstThenCommentsIntoTheSameRow) {
    ScanLogger logger(clock, prompts, "3");
    ASSERT_EQ(logger.WriteRow(row, true), LogFileWriter::Result::Written);
    EXPECT_EQ(LastLine(), row + ",\"\",\"\""); // what stays if the station dies now
    ASSERT_EQ(logger.AddComments(",\"late shift\",\"ok\""), LogFileWriter::Result::Written);
    EXPECT_EQ(LastLine(), row + ",\"late shift\",\"ok\"");
    // Only once: the row's comments are in.
    EXPECT_EQ(logger.AddComments(",\"again\",\"\""), LogFileWriter::Result::WriteFailed);
    EXPECT_EQ(LastLine(), row + ",\"late shift\",\"ok\"");

    ASSERT_EQ(logger.WriteRow(row, false), LogFileWriter::Result::Written);
    EXPECT_EQ(LastLine(), row);
    EXPECT_EQ(logger.AddComments(",\"x\",\"y\""), LogFileWriter::Result::WriteFailed);
    EXPECT_EQ(LastLine(), row);
}

TEST_F(ScanLoggerTest, CommentsNeverOverwriteALineThatFollowedTheRow) {
    ScanLogger logger(clock, prompts, "3");
    ASSERT_EQ(logger.WriteRow(row, true), LogFileWriter::Result::Written);
    ASSERT_EQ(ScanLogger(clock, prompts, "3").WriteRow("\"other\"", false), LogFileWriter::Result::Written);
    const std::string before = Read(hive.Dir() + "/Door 2005 Jan #3.csv");
    EXPECT_EQ(logger.AddComments(",\"late\",\"ok\""), LogFileWriter::Result::WriteFailed);
    EXPECT_EQ(Read(hive.Dir() + "/Door 2005 Jan #3.csv"), before);
    EXPECT_EQ(prompts.cannotOpen, 1);
}

// The log folder is away while the Comments dialog is open: the comments join the row where it waits.
TEST_F(ScanLoggerTest, CommentsOfAWaitingRowWaitWithIt) {
    ScanLogger logger(clock, prompts, "3");
    hive.Write({{"Log Folder", hive.Dir() + "/away/logs"}, {"Log Name", std::string("Door")}});
    ASSERT_EQ(logger.WriteRow(row, true), LogFileWriter::Result::Kept);
    ASSERT_EQ(logger.AddComments(",\"late shift\",\"ok\""), LogFileWriter::Result::Kept);
    SetUp();
    ASSERT_EQ(logger.WriteRow(row, false), LogFileWriter::Result::Written);
    EXPECT_EQ(Read(hive.Dir() + "/Door 2005 Jan #3.csv"), kHeader + row + ",\"late shift\",\"ok\"\r\n" + row + "\r\n");
    EXPECT_EQ(prompts.cannotOpen, 1);
}

} // namespace
