// Rows the log folder cannot take wait in the spool next to the hive and reach the log later, in order,
// once each, also when the station stopped (cleanly or killed) in between.

#include "FakeLogPrompts.h"
#include "TempHive.h"

#include "Clock.h"
#include "LogFileWriter.h"
#include "LogSpool.h"
#include "StringTable.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using MagneticStripeCards::FixedClock;
using Result = LogFileWriter::Result;

const std::string kHeader = Resources::String(Resources::IDS_LOG_HEADER);

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Row(int n) {
    return "\"Thu Jun 02 14:33:0" + std::to_string(n) + " 2005\",\"row " + std::to_string(n) + "\"";
}

std::string Lines(std::initializer_list<int> rows) {
    std::string text;
    for (const int n : rows)
        text += Row(n) + "\r\n";
    return text;
}

class LogSpoolTest : public ::testing::Test {
protected:
    // The log folder sits on a share that can go away as a whole (its parent included), so the station
    // cannot simply make it again.
    void SetUp() override {
        hive.Write({{"Log Folder", Logs()}, {"Log Name", std::string("Door")}, {"Log Number", std::uint32_t{7}}});
        fs::create_directories(Logs());
    }
    std::string Share() const { return hive.Dir() + "/share"; }
    std::string Logs() const { return Share() + "/logs"; }
    std::string LogFile(const std::string& run) const { return Logs() + "/Door 2005 Jun #" + run + ".csv"; }
    std::vector<std::string> SpoolFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(hive.Dir()))
            if (entry.path().filename().string().find(".spool.") != std::string::npos)
                names.push_back(entry.path().filename().string());
        return names;
    }

    TempHive hive;
    FakeLogPrompts prompts;
    const FixedClock june2{2005, 6, 2, 14, 33, 0};
};

TEST_F(LogSpoolTest, RowsWaitThroughAnOutageAndRestartsAndArriveInOrderOnce) {
    {
        LogFileWriter run7(june2, prompts, "7");
        ASSERT_EQ(run7.Write(Row(1)), Result::Written);
        fs::rename(Share(), Share() + "-unmounted");
        EXPECT_EQ(run7.Write(Row(2)), Result::Kept);
        EXPECT_EQ(run7.Write(Row(3)), Result::Kept);
        EXPECT_EQ(prompts.cannotOpen, 1) << "one box for the whole outage";
    } // the station is closed with rows still waiting
    ASSERT_EQ(SpoolFiles().size(), 1u);

    // Run 8 starts while the share is still away, keeps a row of its own and is killed.
    const pid_t child = ::fork();
    if (child == 0) {
        FakeLogPrompts quiet;
        LogFileWriter run8(june2, quiet, "8");
        const bool kept = run8.Write(Row(4)) == Result::Kept;
        ::raise(kept ? SIGKILL : SIGTERM);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "run 8 kept its row";
    ASSERT_EQ(SpoolFiles().size(), 1u) << "run 8 took over run 7's rows";

    // Run 9 finds the share back.
    fs::rename(Share() + "-unmounted", Share());
    {
        LogFileWriter run9(june2, prompts, "9");
        ASSERT_EQ(run9.Write(Row(5)), Result::Written);
        EXPECT_EQ(run9.Spool().Size(), 0u);
    }
    EXPECT_EQ(Read(LogFile("7")), kHeader + Lines({1, 2, 3}));
    EXPECT_EQ(Read(LogFile("8")), kHeader + Lines({4}));
    EXPECT_EQ(Read(LogFile("9")), kHeader + Lines({5}));
    EXPECT_TRUE(SpoolFiles().empty());
    EXPECT_EQ(prompts.cannotOpen, 1);
}

// A station can stop between putting a file's waiting rows into the log and noting that in its spool; the
// rows then end their log file, and the next station does not write them again. A record cut off by the
// stop is ignored.
TEST_F(LogSpoolTest, RowsThatReachedTheLogJustBeforeAStopAreNotWrittenTwice) {
    std::ofstream(LogFile("7"), std::ios::binary) << kHeader << Lines({1, 2, 3});
    std::string journal;
    for (const auto& [n, target] : {std::pair{2, " 2005 Jun #7.csv"}, {3, " 2005 Jun #7.csv"}, {4, " 2005 Jun #8.csv"}})
        journal += "R id" + std::to_string(n) + " " + std::to_string(std::string(target).size()) + " " +
                   std::to_string(Row(n).size()) + "\n" + target + Row(n) + "\n";
    journal += "R id5 16 999\n 2005 Jun #8.csv"; // cut off
    std::ofstream(hive.Path() + ".spool.8.1.1", std::ios::binary) << journal;
    {
        LogFileWriter run9(june2, prompts, "9");
        ASSERT_EQ(run9.Write(Row(5)), Result::Written);
    }
    EXPECT_EQ(Read(LogFile("7")), kHeader + Lines({1, 2, 3}));
    EXPECT_EQ(Read(LogFile("8")), kHeader + Lines({4}));
    EXPECT_EQ(Read(LogFile("9")), kHeader + Lines({5}));
    EXPECT_TRUE(SpoolFiles().empty());
}

// Each file keeps its own order: rows for a file that refuses them wait, rows for other files go in.
TEST_F(LogSpoolTest, AFileThatRefusesItsRowsHoldsUpOnlyItsOwn) {
    fs::create_symlink(hive.Dir() + "/elsewhere.csv", LogFile("7"));
    {
        LogFileWriter run7(june2, prompts, "7");
        EXPECT_EQ(run7.Write(Row(1)), Result::Kept);
        EXPECT_EQ(run7.Write(Row(2)), Result::Kept);
    }
    LogFileWriter run8(june2, prompts, "8");
    EXPECT_EQ(run8.Write(Row(3)), Result::Written);
    EXPECT_EQ(run8.Write(Row(4)), Result::Written);
    EXPECT_EQ(run8.Spool().Size(), 2u);
    EXPECT_EQ(prompts.cannotOpen, 2) << "once in each run";
    fs::remove(LogFile("7"));
    EXPECT_EQ(run8.Write(Row(5)), Result::Written);
    EXPECT_EQ(Read(LogFile("7")), kHeader + Lines({1, 2}));
    EXPECT_EQ(Read(LogFile("8")), kHeader + Lines({3, 4, 5}));
    EXPECT_FALSE(fs::exists(hive.Dir() + "/elsewhere.csv"));
}

TEST(LogSpoolJournal, LaterRecordsReplaceTextsAndMarkRowsDone) {
    const std::string bytes = "R a 2 3\nt1one\nR b 2 3\nt2two\nT a 5\nONE!!\nD b\nR c 2 0\nt3\n";
    const LogSpool::Journal journal = LogSpool::Parse(bytes);
    ASSERT_EQ(journal.waiting.size(), 2u);
    EXPECT_EQ(journal.waiting[0].id, "a");
    EXPECT_EQ(journal.waiting[0].target, "t1");
    EXPECT_EQ(journal.waiting[0].text, "ONE!!");
    EXPECT_EQ(journal.waiting[1].id, "c");
    EXPECT_EQ(journal.waiting[1].text, "");
    EXPECT_EQ(journal.done, std::vector<std::string>{"b"});
    // A length that runs past the end, or a line that is no record, ends the journal there.
    EXPECT_EQ(LogSpool::Parse("R a 2 3\nt1one\nR b 2 300\nt2two\n").waiting.size(), 1u);
    EXPECT_EQ(LogSpool::Parse("R a 2 3\nt1one\ngarbage\nR b 2 3\nt2two\n").waiting.size(), 1u);
    EXPECT_EQ(LogSpool::Parse("R a 18446744073709551615 2\nt1one\n").waiting.size(), 0u);
}

} // namespace
