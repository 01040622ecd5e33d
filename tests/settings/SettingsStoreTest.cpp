#include "HiveFixture.h"
#include "RegistryKey.h"
#include "Settings.h"

#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

} // namespace

class SettingsStore : public HiveFixture {};

// The first column of the store's table: nothing can be opened. Each case with the cause an administrator
// reads on standard error (and in the journal) when a writer gives up.
struct Unopenable {
    const char* name;
    const char* cause; // after "<operation> <hive>: "
};

class SettingsUnopenable : public HiveFixture, public ::testing::WithParamInterface<Unopenable> {
protected:
    void SetUp() override {
        const std::string c = GetParam().name;
        if (c == "other_key_only")
            WriteHive("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon]\r\n"
                      "\"Log Name\"=\"x\"\r\n");
        else if (c == "not_an_export")
            WriteHive("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n\"Log Name\"=\"x\"\r\n");
        else if (c == "truncated_version_line")
            WriteHive("Windows Registry Ed");
        else if (c == "empty_file")
            WriteHive("");
        else if (c == "hive_is_a_folder")
            mkdir(m_hive.c_str(), 0700);
        // "missing": no file at all
    }
};

TEST_P(SettingsUnopenable, ReadersGiveTheirDefaults) {
    EXPECT_EQ(ReadAll(), (Readings{"My Log Files", "Kestrin Log", "", "0", -1, -1, -1, -1, -1, 21}));
}

TEST_P(SettingsUnopenable, IncrementLogNumberChangesNothing) {
    struct stat before {};
    const bool existed = stat(m_hive.c_str(), &before) == 0;
    const std::string text = existed && S_ISREG(before.st_mode) ? ReadHive() : "";
    EXPECT_EQ(Settings::IncrementLogNumber(), std::nullopt);
    if (existed && S_ISREG(before.st_mode)) {
        EXPECT_EQ(ReadHive(), text);
    } else {
        EXPECT_EQ(existed, stat(m_hive.c_str(), &before) == 0);
    }
}

TEST_P(SettingsUnopenable, EveryWriterEndsTheProgramWithCodeOneAndTellsWhy) {
    const std::string message = "error: Cannot continue.\nPlease reinstall the program!";
    const std::string cause = std::string("kestrin: settings: cannot write \"Valid Age\": [a-z][^\n]*") + m_hive +
                              "[^\n]*: " + GetParam().cause + "\n";
    EXPECT_EXIT(Settings::SetEnableLog(true), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(Settings::SetEnableOntop(false), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(Settings::SetEnableComments(true), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(Settings::SetCountValidOnly(true), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(Settings::SetValidAge(21), ::testing::ExitedWithCode(1), cause + message);
}

INSTANTIATE_TEST_SUITE_P(Hives, SettingsUnopenable,
                         ::testing::Values(Unopenable{"missing", "No such file or directory"},
                                           Unopenable{"other_key_only", "no such key"},
                                           Unopenable{"not_an_export", "not a registry export .*"},
                                           Unopenable{"truncated_version_line", "not a registry export .*"},
                                           Unopenable{"empty_file", "not a registry export .*"},
                                           Unopenable{"hive_is_a_folder", "not a regular file"}),
                         [](const ::testing::TestParamInfo<Unopenable>& row) { return std::string(row.param.name); });

TEST_F(SettingsStore, KeyWithoutValuesReadsAsMissing) {
    WriteHive(KeyedHive(""));
    EXPECT_EQ(ReadAll(), (Readings{"", "", "", "0", -1, -1, -1, -1, -1, 21}));
}

TEST_F(SettingsStore, StoredValuesReadBackUnclamped) {
    WriteHive(KeyedHive("\"Log Folder\"=\"/srv/logs\"\r\n\"Log Name\"=\"Door 2\"\r\n\"App Folder\"=\"/opt/k\"\r\n"
                        "\"Log Number\"=dword:ffffffff\r\n\"Enable Log\"=dword:00000002\r\n"
                        "\"Enable Ontop\"=dword:00000000\r\n\"Enable Comments\"=dword:00000001\r\n"
                        "\"Count Valid DL Only\"=dword:00000007\r\n\"Valid Age\"=dword:fffffffb\r\n"));
    EXPECT_EQ(ReadAll(), (Readings{"/srv/logs", "Door 2", "/opt/k", "4294967295", 2, 0, 1, 7, -5, -5}));
}

TEST_F(SettingsStore, ValueOfAnotherTypeCountsAsMissing) {
    WriteHive(
        KeyedHive("\"Log Folder\"=dword:00000001\r\n\"Log Name\"=hex(2):41,00\r\n\"Valid Age\"=\"21\"\r\n"
                  "\"Log Number\"=\"5\"\r\n\"Enable Log\"=hex:01,00,00,00\r\n\"Enable Ontop\"=dword:123456789\r\n"));
    EXPECT_EQ(Settings::GetLogFolder(), "");
    EXPECT_EQ(Settings::GetLogName(), "");
    EXPECT_EQ(Settings::GetValidAge(), -1);
    EXPECT_EQ(Settings::GetLogNumberText(), "0");
    EXPECT_EQ(Settings::GetEnableLog(), -1);
    EXPECT_EQ(Settings::GetEnableOntop(), -1);
}

TEST_F(SettingsStore, TextOf1023CharactersIsReadWholeLongerIsNot) {
    WriteHive(
        KeyedHive("\"Log Name\"=\"" + Repeat('n', 1023) + "\"\r\n\"Log Folder\"=\"" + Repeat('f', 1024) + "\"\r\n"));
    EXPECT_EQ(Settings::GetLogName(), Repeat('n', 1023));
    EXPECT_EQ(Settings::GetLogFolder(), "");
}

TEST_F(SettingsStore, EveryReadSeesTheFileAsItIsNow) {
    WriteHive(KeyedHive("\"Valid Age\"=dword:00000015\r\n"));
    EXPECT_EQ(Settings::GetValidAge(), 21);
    WriteHive(KeyedHive("\"Valid Age\"=dword:00000012\r\n"));
    EXPECT_EQ(Settings::GetValidAge(), 18);
}

TEST_F(SettingsStore, IncrementLogNumberCreatesCountsAndWrapsAndReturnsWhatItStored) {
    WriteHive(KeyedHive(""));
    EXPECT_EQ(Settings::IncrementLogNumber(), 1u);
    EXPECT_EQ(Settings::GetLogNumberText(), "1");
    EXPECT_EQ(Settings::IncrementLogNumber(), 2u);
    EXPECT_EQ(Settings::GetLogNumberText(), "2");
    WriteHive(KeyedHive("\"Log Number\"=dword:ffffffff\r\n"));
    EXPECT_EQ(Settings::IncrementLogNumber(), 0u);
    EXPECT_EQ(Settings::GetLogNumberText(), "0");
    EXPECT_EQ(ReadHive(), KeyedHive("\"Log Number\"=dword:00000000\r\n"));
}

TEST_F(SettingsStore, WritersStoreExactlyTheirValueAndKeepTheRest) {
    const std::string rest = "; installed by the package\r\n\"Log Folder\"=\"C:\\\\Logs\"\r\n\"Blob\"=hex:00,01\r\n";
    const std::string other = "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"Valid Age\"=dword:00000063\r\n";
    WriteHive(KeyedHive(rest) + other);
    Settings::SetValidAge(-1);
    Settings::SetEnableLog(true);
    Settings::SetEnableOntop(false);
    Settings::SetEnableComments(true);
    Settings::SetCountValidOnly(false);
    EXPECT_EQ(ReadHive(), KeyedHive(rest + "\"Valid Age\"=dword:ffffffff\r\n\"Enable Log\"=dword:00000001\r\n"
                                           "\"Enable Ontop\"=dword:00000000\r\n\"Enable Comments\"=dword:00000001\r\n"
                                           "\"Count Valid DL Only\"=dword:00000000\r\n") +
                              other);
    EXPECT_EQ(Settings::GetValidAge(), -1);
    EXPECT_EQ(Settings::GetLogFolder(), "C:\\Logs");
}

TEST_F(SettingsStore, WriteKeepsTheFilesPermissions) {
    WriteHive(KeyedHive(""));
    chmod(m_hive.c_str(), 0640);
    Settings::SetValidAge(21);
    struct stat st {};
    ASSERT_EQ(stat(m_hive.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SettingsStore, FatalReporterSeesTheMessageBeforeTheExit) {
    EXPECT_EXIT(
        {
            Settings::SetFatalReporter([](const std::string& text, const std::string& caption) {
                std::fprintf(stderr, "[%s|%s]", caption.c_str(), text.c_str());
            });
            Settings::SetValidAge(3);
        },
        ::testing::ExitedWithCode(1), "\\[error\\|Cannot continue.\nPlease reinstall the program!\\]");
}

TEST_F(SettingsStore, InterruptedWriteLeavesTheOldFileIntact) {
    const std::string before = KeyedHive("\"Log Number\"=dword:00000004\r\n\"Log Name\"=\"Kestrin Log\"\r\n");
    WriteHive(before);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Settings::RegistryKey::SetBeforeReplaceHook([] { _exit(9); });
        Settings::IncrementLogNumber();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 9); // died between writing the new text and the rename
    EXPECT_EQ(ReadHive(), before);
    EXPECT_EQ(Settings::GetLogNumberText(), "4");
    Settings::IncrementLogNumber(); // the lock died with the child
    EXPECT_EQ(Settings::GetLogNumberText(), "5");
}

// Each station takes its run number from its own raise, so no two raises may hand out one number. A raise
// that meets the other's lock for too long gives nothing and is not counted.
TEST_F(SettingsStore, TwoProcessesRaisingAtOnceGetDistinctNumbersAndAllCount) {
    WriteHive(KeyedHive("\"Log Number\"=dword:0000000a\r\n"));
    int numbers[2];
    ASSERT_EQ(pipe(numbers), 0);
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0; i < 100; ++i)
                if (const auto number = Settings::IncrementLogNumber())
                    (void)!write(numbers[1], &*number, sizeof *number);
            _exit(0);
        }
    }
    close(numbers[1]);
    std::set<std::uint32_t> raised;
    std::uint32_t number = 0;
    std::size_t count = 0;
    while (read(numbers[0], &number, sizeof number) == sizeof number) {
        raised.insert(number);
        ++count;
    }
    close(numbers[0]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(raised.size(), count);
    EXPECT_GT(count, 0u);
    EXPECT_EQ(Settings::GetLogNumberText(), std::to_string(10 + count));
    EXPECT_EQ(*raised.rbegin(), 10 + count);
}

TEST_F(SettingsStore, HiveThatCannotBeWrittenCannotBeOpened) {
    WriteHive(KeyedHive("\"Log Name\"=\"x\"\r\n"));
    chmod(m_dir.c_str(), 0755);
    const bool root = geteuid() == 0;
    chmod(m_hive.c_str(), root ? 0644 : 0444);
    // Root may write any file, so the reading is done by an unprivileged process.
    EXPECT_EXIT(
        {
            if (root && (setgid(65534) != 0 || setuid(65534) != 0))
                _exit(3);
            const bool defaults = Settings::GetLogName() == "Kestrin Log" && Settings::GetValidAge() == -1;
            _exit(defaults ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
    if (root) {
        EXPECT_EQ(Settings::GetLogName(), "x"); // while its owner still reads it
    }
}

TEST_F(SettingsStore, RegistryKeyOpenReplacesAHeldKeyOnlyOnSuccess) {
    WriteHive(KeyedHive("\"Valid Age\"=dword:00000015\r\n"));
    Settings::RegistryKey key;
    ASSERT_TRUE(key.Open(Settings::RegistryKey::Root::LocalMachine, "SOFTWARE\\Orbelon\\Kestrin",
                         Settings::RegistryKey::kReadWrite));
    EXPECT_FALSE(
        key.Open(Settings::RegistryKey::Root::LocalMachine, "SOFTWARE\\Nobody", Settings::RegistryKey::kReadWrite));
    std::uint32_t age = 0;
    EXPECT_TRUE(key.QueryNumber("valid age", age));
    EXPECT_EQ(age, 21u);
    std::string text = "unchanged";
    EXPECT_FALSE(key.QueryText("Valid Age", text, 1024));
    EXPECT_EQ(text, "unchanged");
    key.Close();
    EXPECT_FALSE(key.QueryNumber("Valid Age", age));
}

class ResolvedLogFolder : public HiveFixture {};

TEST_F(ResolvedLogFolder, RelativeFoldersAnchorAtTheStartDirectoryWhateverIsCurrent) {
    const std::string start = Settings::StartDirectory();
    WriteHive(KeyedHive("\"Log Folder\"=\"logs/door\"\r\n"));
    ASSERT_EQ(chdir(m_dir.c_str()), 0);
    EXPECT_EQ(Settings::ResolvedLogFolder(), start + "/logs/door");
    ASSERT_EQ(chdir(start.c_str()), 0);
    WriteHive(KeyedHive("\"Log Folder\"=\"/var/log/kestrin\"\r\n"));
    EXPECT_EQ(Settings::ResolvedLogFolder(), "/var/log/kestrin");
    WriteHive(KeyedHive("\"Log Folder\"=\"\"\r\n"));
    EXPECT_EQ(Settings::ResolvedLogFolder(), start);
}

TEST(HivePath, EnvironmentNamesTheHiveElseTheSystemPath) {
    setenv("KESTRIN_REGISTRY", "/tmp/elsewhere.reg", 1);
    EXPECT_EQ(Settings::HivePath(), "/tmp/elsewhere.reg");
    unsetenv("KESTRIN_REGISTRY");
    EXPECT_EQ(Settings::HivePath(), "/var/lib/kestrin/registry.reg");
}

TEST_F(SettingsStore, ReaderLayoutIsATextThatMayBeMissing) {
    WriteHive(KeyedHive("\"Reader Layout\"=dword:00000001\r\n"));
    EXPECT_EQ(Settings::GetReaderLayout(), "");
    WriteHive(KeyedHive("\"Reader Layout\"=\"desktop\"\r\n"));
    EXPECT_EQ(Settings::GetReaderLayout(), "desktop");
}

TEST_F(SettingsStore, VerdictDelayIsADwordThatMayBeMissing) {
    WriteHive(KeyedHive("\"Log Name\"=\"Kestrin Log\"\r\n"));
    EXPECT_EQ(Settings::GetVerdictDelay(), -1);
    WriteHive(KeyedHive("\"Verdict Delay\"=\"300\"\r\n"));
    EXPECT_EQ(Settings::GetVerdictDelay(), -1);
    WriteHive(KeyedHive("\"Verdict Delay\"=dword:0000012c\r\n"));
    EXPECT_EQ(Settings::GetVerdictDelay(), 300);
}
