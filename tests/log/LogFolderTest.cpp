// What the station leaves in its log folder, case by case on a temporary folder: planted links and
// strangers' files are never written through, fields that a spreadsheet would run as formulas are
// defused, the unknown-swipe file is rotated past 1 MB, retention deletes what "Keep Days" no longer
// keeps, and "Log Personal Data" 0 leaves the holder out of the row. Each row of the table plants files,
// does one thing, and compares the whole folder (and the folder beside it) afterwards. Every file the
// station makes is readable and writable by the group, whatever the umask.

#include "FakeLogPrompts.h"
#include "RowName.h"
#include "TempHive.h"

#include "Card.h"
#include "Clock.h"
#include "LogRetention.h"
#include "ScanLogger.h"
#include "Settings.h"
#include "StringTable.h"
#include "UnknownSwipeFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using MagneticStripeCards::Card;
using MagneticStripeCards::FixedClock;
using MagneticStripeCards::UnknownSwipeFile;
using Files = std::map<std::string, std::string>;

const std::string kHeader = Resources::String(Resources::IDS_LOG_HEADER);
const std::string kLog = "Door 2005 Jul #7.csv"; // this run's file on the test's day
const std::string kVictim = "victim\n";
constexpr std::size_t kLimit = UnknownSwipeFile::kRotateBytes;
const FixedClock kNow{2005, 7, 20, 10, 0, 0};

const std::string kSwipe = "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?"
                           "#0295814      C               1508150BRNBLU?";

// How a file shows in the folder's listing: its bytes; a large file by its size and its last bytes.
std::string Shown(const std::string& bytes) {
    if (bytes.size() <= 4096)
        return bytes;
    return "<" + std::to_string(bytes.size()) + " bytes ending " + bytes.substr(bytes.size() - 8) + ">";
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Area {
public:
    Area() {
        fs::create_directories(Logs());
        fs::create_directories(Elsewhere());
        std::ofstream(Elsewhere() / "victim.txt", std::ios::binary) << kVictim;
    }
    fs::path Logs() const { return fs::path(hive.Dir()) / "logs"; }
    fs::path Elsewhere() const { return fs::path(hive.Dir()) / "elsewhere"; }

    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(Logs() / name, std::ios::binary) << bytes;
    }
    void Link(const std::string& name, const std::string& target) const { fs::create_symlink(target, Logs() / name); }
    // The file's last change, `days` before the test's now.
    void Age(const std::string& name, double days) const {
        std::tm local = kNow.LocalNow();
        const timespec when{std::mktime(&local) - static_cast<time_t>(days * 86400), 0};
        const timespec both[2] = {when, when};
        ::utimensat(AT_FDCWD, (Logs() / name).c_str(), both, AT_SYMLINK_NOFOLLOW);
    }

    // Everything in the log folder and the folder beside it.
    Files Listing() const {
        Files files;
        for (const fs::path& dir : {Logs(), Elsewhere()})
            for (const auto& entry : fs::directory_iterator(dir)) {
                const std::string key = dir.filename().string() + "/" + entry.path().filename().string();
                if (entry.is_symlink())
                    files[key] = "-> " + fs::read_symlink(entry.path()).string();
                else if (entry.is_regular_file())
                    files[key] = Shown(Read(entry.path()));
                else
                    files[key] = "<not a file>";
            }
        return files;
    }

    TempHive hive;
    FakeLogPrompts prompts;
};

// ---- what a case does

std::string Outcome(LogFileWriter::Result result, const FakeLogPrompts& prompts) {
    static const char* const names[] = {"Written", "Kept", "CannotOpen", "WriteFailed"};
    return names[static_cast<int>(result)] + std::string(prompts.cannotOpen ? ", box shown" : "");
}

std::string LogRowOf(Area& area, const std::string& row) {
    return Outcome(ScanLogger(kNow, area.prompts, "7").WriteRow(row, false), area.prompts);
}

std::string LogCard(Area& area, const std::string& swipe) {
    return LogRowOf(area, ScanLogger::CardRow(Card(swipe, kNow)));
}

std::string AppendUnknown(const Area& area, std::initializer_list<const char*> scans) {
    std::string outcome;
    for (const char* scan : scans)
        outcome += UnknownSwipeFile::AppendTo(area.Logs().string(), scan) ? "appended;" : "not appended;";
    return outcome;
}

std::string Sweep(const Area& area) {
    std::string outcome = "deleted:";
    for (const std::string& name : LogRetention::DeleteExpired(area.Logs().string(), Settings::GetKeepDays(), kNow))
        outcome += " " + name + ";";
    return outcome;
}

// ---- what a case plants

void PlantAgedFiles(const Area& area) {
    const std::string oldRow = "\"Sun Jun 19 09:00:00 2005\",\"x\"\r\n"; // 31 days and an hour before now
    area.Put("Door 2005 Jun #1.csv", kHeader + oldRow);
    area.Put("Door 2005 Jun #2.csv", kHeader + oldRow + "\"Tue Jun 21 10:00:00 2005\",\"x\",\"\",\"\"\r\n");
    area.Put("Door 2005 Jun #3.csv", kHeader + "\"Mon Jun 20 10:00:00 2005\",\"x\"\r\n"); // 30 days exactly
    area.Put("Old Name 2005 Jun #4.csv", kHeader + oldRow);
    area.Put("Door 2005 May #5.csv", kHeader);
    area.Age("Door 2005 May #5.csv", 40);
    area.Put("Door 2005 May #6.csv", kHeader);
    area.Age("Door 2005 May #6.csv", 10);
    area.Put("notes.csv", "not the station's");
    area.Age("notes.csv", 400);
    area.Put("unknowndl.txt", "u\n\n");
    area.Age("unknowndl.txt", 10);
    area.Put("unknowndl.txt.1", "v\n\n");
    area.Age("unknowndl.txt.1", 31);
    area.Link("Door 2005 Jan #8.csv", "../elsewhere/victim.txt");
    area.Age("Door 2005 Jan #8.csv", 400);
}

Files AgedFilesAfter(std::initializer_list<const char*> deleted) {
    Files files{
        {"logs/Door 2005 Jun #1.csv", kHeader + "\"Sun Jun 19 09:00:00 2005\",\"x\"\r\n"},
        {"logs/Door 2005 Jun #2.csv",
         kHeader + "\"Sun Jun 19 09:00:00 2005\",\"x\"\r\n\"Tue Jun 21 10:00:00 2005\",\"x\",\"\",\"\"\r\n"},
        {"logs/Door 2005 Jun #3.csv", kHeader + "\"Mon Jun 20 10:00:00 2005\",\"x\"\r\n"},
        {"logs/Old Name 2005 Jun #4.csv", kHeader + "\"Sun Jun 19 09:00:00 2005\",\"x\"\r\n"},
        {"logs/Door 2005 May #5.csv", kHeader},
        {"logs/Door 2005 May #6.csv", kHeader},
        {"logs/notes.csv", "not the station's"},
        {"logs/unknowndl.txt", "u\n\n"},
        {"logs/unknowndl.txt.1", "v\n\n"},
        {"logs/Door 2005 Jan #8.csv", "-> ../elsewhere/victim.txt"},
        {"elsewhere/victim.txt", kVictim},
    };
    for (const char* name : deleted)
        files.erase(std::string("logs/") + name);
    return files;
}

struct FolderCase {
    std::string name;
    std::vector<TempHive::Value> settings; // besides "Log Folder" and "Log Name"
    std::function<void(const Area&)> plant;
    std::function<std::string(Area&)> act;
    std::string outcome;
    Files files; // the whole listing afterwards
    bool needsRoot = false;
};

void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<FolderCase> kCases = {
    // ---- no link, second name or stranger's file is written through
    {"log_file_is_a_symlink",
     {},
     [](const Area& a) { a.Link(kLog, "../elsewhere/victim.txt"); },
     [](Area& a) { return LogRowOf(a, "\"row\""); },
     "Kept, box shown",
     {{"logs/" + kLog, "-> ../elsewhere/victim.txt"}, {"elsewhere/victim.txt", kVictim}}},
    {"log_file_is_a_dangling_symlink",
     {},
     [](const Area& a) { a.Link(kLog, "../elsewhere/new.csv"); },
     [](Area& a) { return LogRowOf(a, "\"row\""); },
     "Kept, box shown",
     {{"logs/" + kLog, "-> ../elsewhere/new.csv"}, {"elsewhere/victim.txt", kVictim}}},
    {"log_file_is_a_second_name_of_another_file",
     {},
     [](const Area& a) { fs::create_hard_link(a.Elsewhere() / "victim.txt", a.Logs() / kLog); },
     [](Area& a) { return LogRowOf(a, "\"row\""); },
     "Kept, box shown",
     {{"logs/" + kLog, kVictim}, {"elsewhere/victim.txt", kVictim}}},
    {"log_file_is_a_fifo",
     {},
     [](const Area& a) { ::mkfifo((a.Logs() / kLog).c_str(), 0660); },
     [](Area& a) { return LogRowOf(a, "\"row\""); },
     "Kept, box shown",
     {{"logs/" + kLog, "<not a file>"}, {"elsewhere/victim.txt", kVictim}}},
    {"log_file_of_a_stranger",
     {},
     [](const Area& a) {
         a.Put(kLog, "theirs\r\n");
         ::chown((a.Logs() / kLog).c_str(), 65534, 65534);
     },
     [](Area& a) { return LogRowOf(a, "\"row\""); },
     "Kept, box shown",
     {{"logs/" + kLog, "theirs\r\n"}, {"elsewhere/victim.txt", kVictim}},
     true},
    {"leftover_spool_is_a_symlink",
     {},
     [](const Area& a) { fs::create_symlink(a.Elsewhere() / "victim.txt", a.hive.Path() + ".spool.1.1.1"); },
     [](Area& a) { return LogRowOf(a, "\"row\""); },
     "Written",
     {{"logs/" + kLog, kHeader + "\"row\"\r\n"}, {"elsewhere/victim.txt", kVictim}}},
    {"unknown_swipe_file_is_a_symlink",
     {},
     [](const Area& a) { a.Link("unknowndl.txt", "../elsewhere/victim.txt"); },
     [](Area& a) { return AppendUnknown(a, {"scan"}); },
     "not appended;",
     {{"logs/unknowndl.txt", "-> ../elsewhere/victim.txt"}, {"elsewhere/victim.txt", kVictim}}},
    {"rotation_replaces_a_symlinked_previous_generation",
     {},
     [](const Area& a) {
         a.Put("unknowndl.txt", std::string(kLimit - 3, 'u'));
         a.Link("unknowndl.txt.1", "../elsewhere/victim.txt");
     },
     [](Area& a) { return AppendUnknown(a, {"ab"}); },
     "appended;",
     {{"logs/unknowndl.txt.1", Shown(std::string(kLimit - 3, 'u') + "ab\n\n")}, {"elsewhere/victim.txt", kVictim}}},

    // ---- no formulas
    {"card_fields_that_start_a_formula_get_an_apostrophe",
     {},
     nullptr,
     [](Area& a) {
         return LogCard(a, "%CA-SACRAMENTO^=DOE$JOHN$Q^@123 MAIN ST^?;6360141234567=08121980061500?"
                           "#0295814      C               1508150BRNBLU?");
     },
     "Written",
     {{"logs/" + kLog, kHeader +
                           "\"Wed Jul 20 10:00:00 2005\",\"'=DOE JOHN Q\",\"25\",\"MALE\",\"CA\",\"'-SACRAMENTO\","
                           "\"'@123 MAIN ST\",\"95814\",\"6/15/1980\",\"1234567\",\"12/15/2008\",\"636014\",\"\","
                           "\"508\",\"150\",\"BRN\",\"BLU\",\"7/20/2005\",\"10:0:0\"\r\n"},
      {"elsewhere/victim.txt", kVictim}}},
    {"formula_signs_further_in_stay",
     {},
     nullptr,
     [](Area& a) {
         return LogCard(a, "%CASACRAMENTO^DOE-SMITH$JO=HN^1+2 MAIN ST^?;6360141234567=08121980061500?"
                           "#0295814      C               1508150BRNBLU?");
     },
     "Written",
     {{"logs/" + kLog, kHeader +
                           "\"Wed Jul 20 10:00:00 2005\",\"DOE-SMITH JO=HN\",\"25\",\"MALE\",\"CA\",\"SACRAMENTO\","
                           "\"1+2 MAIN ST\",\"95814\",\"6/15/1980\",\"1234567\",\"12/15/2008\",\"636014\",\"\","
                           "\"508\",\"150\",\"BRN\",\"BLU\",\"7/20/2005\",\"10:0:0\"\r\n"},
      {"elsewhere/victim.txt", kVictim}}},

    // ---- the unknown-swipe file stays bounded
    {"unknown_swipe_file_of_exactly_1_MB_stays",
     {},
     [](const Area& a) { a.Put("unknowndl.txt", std::string(kLimit - 4, 'u')); },
     [](Area& a) { return AppendUnknown(a, {"ab"}); },
     "appended;",
     {{"logs/unknowndl.txt", Shown(std::string(kLimit - 4, 'u') + "ab\n\n")}, {"elsewhere/victim.txt", kVictim}}},
    {"one_byte_past_1_MB_rotates_and_replaces_the_older_generation",
     {},
     [](const Area& a) {
         a.Put("unknowndl.txt", std::string(kLimit - 3, 'u'));
         a.Put("unknowndl.txt.1", "older\n\n");
     },
     [](Area& a) {
         return AppendUnknown(a, {"ab", "cd"});
     },
     "appended;appended;",
     {{"logs/unknowndl.txt.1", Shown(std::string(kLimit - 3, 'u') + "ab\n\n")},
      {"logs/unknowndl.txt", "cd\n\n"},
      {"elsewhere/victim.txt", kVictim}}},

    // ---- retention
    {"keep_30_days",
     {{"Keep Days", std::uint32_t{30}}},
     PlantAgedFiles,
     Sweep,
     "deleted: Door 2005 Jun #1.csv; Door 2005 May #5.csv; Old Name 2005 Jun #4.csv; unknowndl.txt.1;",
     AgedFilesAfter({"Door 2005 Jun #1.csv", "Door 2005 May #5.csv", "Old Name 2005 Jun #4.csv", "unknowndl.txt.1"})},
    {"keep_days_missing_keeps_all", {}, PlantAgedFiles, Sweep, "deleted:", AgedFilesAfter({})},
    {"keep_days_0_keeps_all", {{"Keep Days", std::uint32_t{0}}}, PlantAgedFiles, Sweep, "deleted:", AgedFilesAfter({})},

    // ---- the minimal-data log
    {"personal_data_0_leaves_the_holder_out",
     {{"Log Personal Data", std::uint32_t{0}}},
     nullptr,
     [](Area& a) { return LogCard(a, kSwipe); },
     "Written",
     {{"logs/" + kLog, kHeader + "\"Wed Jul 20 10:00:00 2005\",\"\",\"25\",\"MALE\",\"CA\",\"\",\"\",\"\",\"\",\"\","
                                 "\"12/15/2008\",\"\",\"\",\"\",\"\",\"\",\"\",\"7/20/2005\",\"10:0:0\"\r\n"},
      {"elsewhere/victim.txt", kVictim}}},
    {"personal_data_1_logs_the_whole_row",
     {{"Log Personal Data", std::uint32_t{1}}},
     nullptr,
     [](Area& a) { return LogCard(a, kSwipe); },
     "Written",
     {{"logs/" + kLog, kHeader + "\"Wed Jul 20 10:00:00 2005\",\"DOE JOHN Q\",\"25\",\"MALE\",\"CA\",\"SACRAMENTO\","
                                 "\"123 MAIN ST\",\"95814\",\"6/15/1980\",\"1234567\",\"12/15/2008\",\"636014\",\"\","
                                 "\"508\",\"150\",\"BRN\",\"BLU\",\"7/20/2005\",\"10:0:0\"\r\n"},
      {"elsewhere/victim.txt", kVictim}}},
};

class LogFolderTest : public ::testing::TestWithParam<FolderCase> {
protected:
    void SetUp() override { m_oldMask = ::umask(077); }
    void TearDown() override { ::umask(m_oldMask); }
    mode_t m_oldMask = 0;
};

TEST_P(LogFolderTest, LeavesTheFolderAsExpected) {
    const FolderCase& c = GetParam();
    if (c.needsRoot && ::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another account";
    Area area;
    std::vector<TempHive::Value> settings{{"Log Folder", area.Logs().string()}, {"Log Name", std::string("Door")}};
    settings.insert(settings.end(), c.settings.begin(), c.settings.end());
    area.hive.Write(settings);
    if (c.plant)
        c.plant(area);
    const Files before = area.Listing();

    EXPECT_EQ(c.act(area), c.outcome);
    const Files after = area.Listing();
    EXPECT_EQ(after, c.files);

    for (const auto& [name, shown] : after) {
        struct stat info {};
        const fs::path path = fs::path(area.hive.Dir()) / name;
        if (before.count(name) || ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        EXPECT_EQ(info.st_mode & 07777, 0660u) << name << " was made by the station";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LogFolderTest, ::testing::ValuesIn(kCases), RowName());

} // namespace
