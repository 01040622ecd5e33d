#include "FakeLogPrompts.h"
#include "TempHive.h"

#include "Clock.h"
#include "LogFileWriter.h"
#include "Settings.h"
#include "UniqueFd.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using MagneticStripeCards::FixedClock;
using Result = LogFileWriter::Result;

const std::string kHeader = "\"DATE & TIME\",\"NAME\",\"AGE\",\"SEX\",\"STATE\",\"CITY\",\"ADDRESS\",\"POSTAL CODE\","
                            "\"BIRTHDATE\",\"DL#\",\"EXPIRATION DATE\",\"ISOIIN\",\"RESTRICTIONS\",\"HEIGHT\","
                            "\"WEIGHT\",\"HAIR COLOR\",\"EYE COLOR\",\"DATE\",\"TIME\"\r\n";
const std::string kRow1 = "\"Thu Jun 02 14:33:34 2005\",\"DOE$JOHN\",\"26\"";
const std::string kRow2 = "\"Thu Jun 02 14:35:00 2005\",\"ROE$JANE\",\"31\"";

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// While it lives, files this process writes may not grow beyond `bytes`: a full disk, as far as the
// writer can tell (writes fail with EFBIG instead of raising SIGXFSZ).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Set() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
    bool m_set = false;
};

// A second process that holds a file's flock for a while, as another station in the middle of its write.
class LockHolder {
public:
    LockHolder(const std::string& path, int holdMs) {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
            const char locked = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &locked, 1);
            ::usleep(static_cast<useconds_t>(holdMs) * 1000);
            ::_exit(0);
        }
        char locked = 'n';
        ::close(ready[1]);
        m_locked = m_pid > 0 && ::read(ready[0], &locked, 1) == 1 && locked == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool Locked() const { return m_locked; }
    bool StillHolding() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    pid_t m_pid = -1;
    bool m_locked = false;
};

class LogFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override { m_oldMask = ::umask(022); }
    void TearDown() override { ::umask(m_oldMask); }

    // "Log Folder" = <hive dir>/logs, "Log Name" = name, "Log Number" = 7 unless given.
    void Configure(const std::string& name, const std::string& folder = {}, std::uint32_t number = 7) {
        hive.Write({{"Log Folder", folder.empty() ? Logs() : folder}, {"Log Name", name}, {"Log Number", number}});
    }
    std::string Logs() const { return hive.Dir() + "/logs"; }
    // A writer of run 7, as a station started afresh would make it.
    Result WriteOn(const FixedClock& clock, const std::string& row) {
        return LogFileWriter(clock, prompts, "7").Write(row);
    }

    TempHive hive;
    FakeLogPrompts prompts;
    const FixedClock june22{2005, 6, 22, 14, 33, 34};
    mode_t m_oldMask = 0;
};

TEST(LogFileName, DatePartInTheClassicLocale) {
    const FixedClock june22(2005, 6, 22);
    EXPECT_EQ(LogFileWriter::FileName("Kestrin Log", june22.LocalNow(), "7"), "Kestrin Log 2005 Jun #7.csv");
    const FixedClock january(2005, 1, 2);
    EXPECT_EQ(LogFileWriter::DatePart(january.LocalNow()), " 2005 Jan #");
    const FixedClock december(1999, 12, 31);
    EXPECT_EQ(LogFileWriter::DatePart(december.LocalNow()), " 1999 Dec #");
    EXPECT_EQ(LogFileWriter::FileName("", june22.LocalNow(), "4294967295"), " 2005 Jun #4294967295.csv");
}

TEST(LogFileName, UnformattableTimeGivesNoDatePart) {
    std::tm broken{};
    broken.tm_mon = 12;
    EXPECT_EQ(LogFileWriter::DatePart(broken), "");
    EXPECT_EQ(LogFileWriter::FileName("Kestrin Log", broken, "7"), "Kestrin Log7.csv");
}

TEST_F(LogFileWriterTest, FirstWriteCreatesFolderAndFileWithHeader) {
    Configure("Kestrin Log");
    ASSERT_EQ(WriteOn(june22, kRow1), Result::Written);
    EXPECT_EQ(Read(Logs() + "/Kestrin Log 2005 Jun #7.csv"), kHeader + kRow1 + "\r\n");
    EXPECT_EQ(prompts.cannotOpen, 0);
}

TEST_F(LogFileWriterTest, SecondWriteAppendsWithoutSecondHeader) {
    Configure("Kestrin Log");
    ASSERT_EQ(WriteOn(june22, kRow1), Result::Written);
    ASSERT_EQ(WriteOn(june22, kRow2), Result::Written);
    EXPECT_EQ(Read(Logs() + "/Kestrin Log 2005 Jun #7.csv"), kHeader + kRow1 + "\r\n" + kRow2 + "\r\n");
}

TEST_F(LogFileWriterTest, NewMonthStartsANewFileOfTheSameRun) {
    Configure("Kestrin Log");
    ASSERT_EQ(WriteOn(june22, kRow1), Result::Written);
    ASSERT_EQ(WriteOn(FixedClock(2005, 7, 1, 0, 0, 1), kRow2), Result::Written);
    EXPECT_EQ(Read(Logs() + "/Kestrin Log 2005 Jun #7.csv"), kHeader + kRow1 + "\r\n");
    EXPECT_EQ(Read(Logs() + "/Kestrin Log 2005 Jul #7.csv"), kHeader + kRow2 + "\r\n");
}

// Another station on the same hive raises "Log Number" at its start; this run stays in its own file.
TEST_F(LogFileWriterTest, EachRunKeepsToTheNumberItStartedWith) {
    Configure("Kestrin Log");
    LogFileWriter run7(june22, prompts, "7");
    ASSERT_EQ(run7.Write(kRow1), Result::Written);
    Settings::IncrementLogNumber();
    LogFileWriter run8(june22, prompts, Settings::GetLogNumberText());
    Settings::IncrementLogNumber();
    ASSERT_EQ(run7.Write(kRow2), Result::Written);
    ASSERT_EQ(run8.Write(kRow2), Result::Written);
    EXPECT_EQ(Read(Logs() + "/Kestrin Log 2005 Jun #7.csv"), kHeader + kRow1 + "\r\n" + kRow2 + "\r\n");
    EXPECT_EQ(Read(Logs() + "/Kestrin Log 2005 Jun #8.csv"), kHeader + kRow2 + "\r\n");
    EXPECT_FALSE(fs::exists(Logs() + "/Kestrin Log 2005 Jun #9.csv"));
}

TEST_F(LogFileWriterTest, MissingLogNameStartsWithTheDatePart) {
    hive.Write({{"Log Folder", Logs()}, {"Log Number", std::uint32_t{7}}});
    ASSERT_EQ(WriteOn(june22, kRow1), Result::Written);
    EXPECT_TRUE(fs::exists(Logs() + "/ 2005 Jun #7.csv"));
}

TEST_F(LogFileWriterTest, ExistingEmptyFileGetsNoHeader) {
    Configure("Kestrin Log");
    fs::create_directory(Logs());
    std::ofstream(Logs() + "/Kestrin Log 2005 Jun #7.csv").close();
    ASSERT_EQ(WriteOn(june22, kRow1), Result::Written);
    EXPECT_EQ(Read(Logs() + "/Kestrin Log 2005 Jun #7.csv"), kRow1 + "\r\n");
}

// Every staff account of the folder's group can go on writing what another account created.
TEST_F(LogFileWriterTest, FilesAreSharedWithTheFoldersGroupWhateverTheUmask) {
    Configure("Kestrin Log");
    for (const mode_t mask : {mode_t{077}, mode_t{0}}) {
        ::umask(mask);
        fs::remove_all(Logs());
        ASSERT_EQ(WriteOn(june22, kRow1), Result::Written);
        struct stat info {};
        ASSERT_EQ(::stat((Logs() + "/Kestrin Log 2005 Jun #7.csv").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0660u) << "umask " << mask;
        const gid_t fileGroup = info.st_gid;
        ASSERT_EQ(::stat(Logs().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 02770u) << "umask " << mask;
        EXPECT_EQ(fileGroup, info.st_gid);
    }
}

TEST_F(LogFileWriterTest, RelativeFolderIsAnchoredAtTheStartDirectoryAndCwdNeverMoves) {
    const std::string relative = "kestrin-rel-" + std::to_string(::getpid());
    const std::string anchored = Settings::StartDirectory() + "/" + relative;
    Configure("Kestrin Log", relative);
    const fs::path cwd = fs::current_path();
    ASSERT_EQ(WriteOn(june22, kRow1), Result::Written);
    EXPECT_EQ(fs::current_path(), cwd);
    // Even a changed current directory does not move the log.
    fs::current_path(hive.Dir());
    ASSERT_EQ(WriteOn(june22, kRow2), Result::Written);
    fs::current_path(cwd);
    EXPECT_EQ(Read(anchored + "/Kestrin Log 2005 Jun #7.csv"), kHeader + kRow1 + "\r\n" + kRow2 + "\r\n");
    EXPECT_FALSE(fs::exists(fs::path(anchored) / relative));
    EXPECT_FALSE(fs::exists(fs::path(hive.Dir()) / relative));
    fs::remove_all(anchored);
}

// Nothing is written anywhere else: the row waits in the spool, and the next write that reaches the folder
// puts it in first.
TEST_F(LogFileWriterTest, UnreachableFolderDivertsNothing) {
    // Two levels missing (only one is created), and a folder path that is a file.
    const std::string file = hive.Dir() + "/plain-file";
    std::ofstream(file) << "not a folder";
    const std::string name = "kestrin-fallback-" + std::to_string(::getpid());
    for (const std::string& folder : {hive.Dir() + "/a/b", file}) {
        SCOPED_TRACE(folder);
        Configure(name, folder);
        EXPECT_EQ(WriteOn(june22, kRow1), Result::Kept);
        EXPECT_FALSE(fs::exists(Settings::StartDirectory() + "/" + name + " 2005 Jun #7.csv"));
        EXPECT_EQ(Read(file), "not a folder");
    }
    EXPECT_FALSE(fs::exists(hive.Dir() + "/a"));
    EXPECT_EQ(prompts.cannotOpen, 2);
    Configure(name);
    ASSERT_EQ(WriteOn(june22, kRow2), Result::Written);
    EXPECT_EQ(Read(Logs() + "/" + name + " 2005 Jun #7.csv"),
              kHeader + kRow1 + "\r\n" + kRow1 + "\r\n" + kRow2 + "\r\n");
}

// Each of these ends in the box, with the row kept for later and the earlier rows intact.
struct Refusal {
    const char* label;
    std::string logName;
};

void PrintTo(const Refusal& refusal, std::ostream* os) {
    *os << refusal.label;
}

class LogFileRefusalTest : public LogFileWriterTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(LogFileRefusalTest, ShowsTheBoxAndWritesNothing) {
    Configure(GetParam().logName);
    fs::create_directory(Logs());
    const std::string sibling = Logs() + "/Kestrin Log 2005 Jun #7.csv";
    std::ofstream(sibling, std::ios::binary) << kHeader << kRow1 << "\r\n";
    EXPECT_EQ(WriteOn(june22, kRow2), Result::Kept);
    EXPECT_EQ(prompts.cannotOpen, 1);
    EXPECT_EQ(Read(sibling), kHeader + kRow1 + "\r\n");
    // Nothing escaped the log folder.
    std::vector<fs::path> outside;
    for (const auto& entry : fs::directory_iterator(hive.Dir()))
        if (entry.path() != fs::path(Logs()) && entry.path().filename().string().rfind("registry.reg", 0) != 0)
            outside.push_back(entry.path());
    EXPECT_TRUE(outside.empty()) << outside.front();
    EXPECT_FALSE(fs::exists("/tmp/kestrin-absolute 2005 Jun #7.csv"));
}

INSTANTIATE_TEST_SUITE_P(BadLogNames, LogFileRefusalTest,
                         ::testing::Values(Refusal{"SeparatorClimbsOut", "../escaped"},
                                           Refusal{"SeparatorIntoSubfolder", "sub/name"},
                                           Refusal{"NameOf1023Characters", std::string(1023, 'n')},
                                           Refusal{"AbsolutePath", "/tmp/kestrin-absolute"}),
                         [](const ::testing::TestParamInfo<Refusal>& param) { return std::string(param.param.label); });

TEST_F(LogFileWriterTest, LogFileThatIsAFolderShowsTheBox) {
    Configure("Kestrin Log");
    fs::create_directories(Logs() + "/Kestrin Log 2005 Jun #7.csv");
    EXPECT_EQ(WriteOn(june22, kRow1), Result::Kept);
    EXPECT_EQ(prompts.cannotOpen, 1);
    EXPECT_TRUE(fs::is_directory(Logs() + "/Kestrin Log 2005 Jun #7.csv"));
}

TEST_F(LogFileWriterTest, ReadOnlyLogFileShowsTheBox) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    Configure("Kestrin Log");
    fs::create_directory(Logs());
    const std::string path = Logs() + "/Kestrin Log 2005 Jun #7.csv";
    std::ofstream(path, std::ios::binary) << kHeader << kRow1 << "\r\n";
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_EQ(WriteOn(june22, kRow2), Result::Kept);
    EXPECT_EQ(prompts.cannotOpen, 1);
    EXPECT_EQ(Read(path), kHeader + kRow1 + "\r\n");
}

TEST_F(LogFileWriterTest, AWriterWaitsBrieflyForAnotherWritersLockButNoLonger) {
    Configure("Kestrin Log");
    LogFileWriter writer(june22, prompts, "7");
    ASSERT_EQ(writer.Write(kRow1), Result::Written);
    const std::string path = Logs() + "/Kestrin Log 2005 Jun #7.csv";
    const std::string row3 = "\"Thu Jun 02 14:36:00 2005\"";
    {
        const LockHolder brief(path, 20);
        ASSERT_TRUE(brief.Locked());
        EXPECT_EQ(writer.Write(kRow2), Result::Written);
    }
    {
        const LockHolder holdsOn(path, 20000);
        ASSERT_TRUE(holdsOn.Locked());
        EXPECT_EQ(writer.Write(row3), Result::Kept);
        EXPECT_TRUE(holdsOn.StillHolding()) << "the write waited for the other writer to finish";
        EXPECT_EQ(prompts.cannotOpen, 1);
    }
    ASSERT_EQ(writer.Write(kRow1), Result::Written);
    EXPECT_EQ(Read(path), kHeader + kRow1 + "\r\n" + kRow2 + "\r\n" + row3 + "\r\n" + kRow1 + "\r\n");
}

TEST_F(LogFileWriterTest, FailedWriteIsTakenBackAndReported) {
    Configure("Kestrin Log");
    LogFileWriter writer(june22, prompts, "7");
    ASSERT_EQ(writer.Write(kRow1), Result::Written);
    const std::string path = Logs() + "/Kestrin Log 2005 Jun #7.csv";
    const std::string before = Read(path);
    {
        // Room for 10 more bytes: the row starts to go out, then the disk is full.
        const FileSizeLimit limit(before.size() + 10);
        ASSERT_TRUE(limit.Set());
        // The log has no room, the spool (a small file) has: the row waits there.
        EXPECT_EQ(writer.Write(std::string(100, 'x')), Result::Kept);
        EXPECT_EQ(Read(path), before);
    }
    EXPECT_EQ(prompts.cannotOpen, 1);
    ASSERT_EQ(writer.Write(kRow2), Result::Written);
    EXPECT_EQ(Read(path), before + std::string(100, 'x') + "\r\n" + kRow2 + "\r\n");
}

TEST_F(LogFileWriterTest, FailedFirstWriteLeavesNoHeaderlessFile) {
    Configure("Kestrin Log");
    const std::string path = Logs() + "/Kestrin Log 2005 Jun #7.csv";
    LogFileWriter writer(june22, prompts, "7");
    {
        const FileSizeLimit limit(10);
        ASSERT_TRUE(limit.Set());
        // Neither the log nor the spool has room: the row is held in memory only.
        EXPECT_EQ(writer.Write(kRow1), Result::WriteFailed);
        EXPECT_FALSE(fs::exists(path));
    }
    ASSERT_EQ(writer.Write(kRow2), Result::Written);
    EXPECT_EQ(Read(path), kHeader + kRow1 + "\r\n" + kRow2 + "\r\n");
}

TEST_F(LogFileWriterTest, RowsAreWrittenAsBuiltWhateverTheyHold) {
    Configure("Kestrin Log");
    const std::vector<std::string> rows{
        kRow1 + ",\"" + std::string(10000, 'x') + "\",\"\"",
        "\"O\"\"Brien, Pat\",\"a,b\"",
        "\"Z\xc3\xb6"
        "e \xff\x01"
        "\"",
        std::string(),
    };
    std::string expected = kHeader;
    for (const std::string& row : rows) {
        ASSERT_EQ(WriteOn(june22, row), Result::Written);
        expected += row + "\r\n";
    }
    EXPECT_EQ(Read(Logs() + "/Kestrin Log 2005 Jun #7.csv"), expected);
}

TEST_F(LogFileWriterTest, UnopenableSettingsKeyUsesTheDefaults) {
    // No hive: "My Log Files" under the start directory, "Kestrin Log"; the run number is 0 then.
    const std::string folder = Settings::StartDirectory() + "/My Log Files";
    const bool existed = fs::exists(folder);
    ASSERT_EQ(LogFileWriter(june22, prompts, "0").Write(kRow1), Result::Written);
    const std::string path = folder + "/Kestrin Log 2005 Jun #0.csv";
    EXPECT_TRUE(fs::exists(path));
    if (existed)
        fs::remove(path);
    else
        fs::remove_all(folder);
}

} // namespace
