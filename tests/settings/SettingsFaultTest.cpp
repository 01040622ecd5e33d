// The store under faults while the station runs: a hive damaged under it, a lock another process holds,
// the accounts' umasks, and files planted in the lock's place.
#include "HiveFixture.h"
#include "Settings.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

constexpr uid_t kNobody = 65534;

const std::string kValues = "\"Log Folder\"=\"/srv/logs\"\r\n\"Log Name\"=\"Door 2\"\r\n\"App Folder\"=\"/opt/k\"\r\n"
                            "\"Log Number\"=dword:00000007\r\n\"Enable Log\"=dword:00000001\r\n"
                            "\"Enable Ontop\"=dword:00000000\r\n\"Enable Comments\"=dword:00000001\r\n"
                            "\"Count Valid DL Only\"=dword:00000000\r\n\"Valid Age\"=dword:00000012\r\n";
const Readings kStored{"/srv/logs", "Door 2", "/opt/k", "7", 1, 0, 1, 0, 18, 18};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
}

double SecondsFor(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Another process that holds the hive's lock until Release.
class LockHolder {
public:
    explicit LockHolder(const std::string& lockPath) {
        int ready[2];
        if (pipe(ready) != 0 || pipe(m_go) != 0)
            throw std::runtime_error("pipe");
        m_pid = fork();
        if (m_pid == 0) {
            close(m_go[1]);
            const int fd = open(lockPath.c_str(), O_RDONLY | O_CREAT, 0660);
            const char held = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            (void)!write(ready[1], &held, 1);
            char go = 0;
            (void)!read(m_go[0], &go, 1); // returns when the parent closes its end
            _exit(0);
        }
        close(ready[1]);
        close(m_go[0]);
        char held = 'n';
        (void)!read(ready[0], &held, 1);
        close(ready[0]);
        if (held != 'y')
            throw std::runtime_error("the holder could not take the lock");
    }
    ~LockHolder() { Release(); }
    void Release() {
        if (m_pid <= 0)
            return;
        close(m_go[1]);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    int m_go[2] = {-1, -1};
    pid_t m_pid = -1;
};

} // namespace

class SettingsFaults : public HiveFixture {
protected:
    SettingsFaults() {
        Settings::SetWarningReporter([this](const std::string&) { ++m_warnings; });
    }
    ~SettingsFaults() override { Settings::SetWarningReporter(nullptr); }

    int m_warnings = 0;
};

// Damage done to the hive while the station runs. Every row runs in a child process, as "nobody" when
// the test runs as root (root could read a hive whose mode forbids it).
struct Damage {
    const char* name;
    void (*apply)(const std::string& hive);
    Readings during; // what the readers give while the hive is damaged
    const char* cause;
};

class SettingsDamagedWhileRunning : public SettingsFaults, public ::testing::WithParamInterface<Damage> {};

TEST_P(SettingsDamagedWhileRunning, KeepsTheValuesReadLastAndReportsOncePerEpisode) {
    ASSERT_EQ(chmod(m_dir.c_str(), 0777), 0);
    const Damage& damage = GetParam();
    const auto check = [&](bool ok, const std::string& what) {
        if (!ok) {
            std::fprintf(stderr, "FAILED: %s\n", what.c_str());
            _exit(1);
        }
    };
    const auto readings = [](const Readings& r) {
        std::ostringstream os;
        os << r;
        return os.str();
    };
    EXPECT_EXIT(
        {
            check(geteuid() != 0 || (setgid(kNobody) == 0 && setuid(kNobody) == 0), "drop to nobody");
            WriteHive(KeyedHive(kValues));
            check(ReadAll() == kStored, "first read " + readings(ReadAll()));
            damage.apply(m_hive);
            const Readings during = ReadAll();
            check(during == damage.during, "while damaged " + readings(during));
            check(ReadAll() == damage.during && m_warnings == 1, "reported once, got " + std::to_string(m_warnings));

            std::filesystem::remove_all(m_hive);
            WriteHive(KeyedHive(kValues + "\"Log Name\"=\"Door 3\"\r\n"));
            check(Settings::GetLogName() == "Door 3", "mended hive read again");
            damage.apply(m_hive);
            check(Settings::GetLogName() == "Door 3" && m_warnings == 2, "the next damage is reported again");
            _exit(0);
        },
        ::testing::ExitedWithCode(0), std::string(damage.cause) + "[^\n]*" + m_hive);
}

namespace {
const Readings kCut{"/srv/logs", "Door 2", "/opt/k", "0", -1, -1, -1, -1, -1, 18};
const char kUnreadable[] = "cannot read the settings, going on with the values read last: ";

void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::remove_all(path);
    std::ofstream(path, std::ios::binary) << text;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Damages, SettingsDamagedWhileRunning,
    ::testing::Values(
        Damage{"garbage",
               [](const std::string& h) {
                   WriteFile(h, "\x7f"
                                "ELF\x02\x01\x01");
               },
               kStored, kUnreadable},
        Damage{"emptied", [](const std::string& h) { WriteFile(h, ""); }, kStored, kUnreadable},
        Damage{"key_gone",
               [](const std::string& h) {
                   WriteFile(h, "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n");
               },
               kStored, kUnreadable},
        Damage{"cut_inside_the_first_value",
               [](const std::string& h) {
                   const std::string text = Slurp(h);
                   WriteFile(h, text.substr(0, text.find("\"Log Folder\"") + 20));
               },
               kCut, "\"[A-Za-z ]+\" is missing from "},
        Damage{"removed", [](const std::string& h) { std::filesystem::remove(h); }, kStored, kUnreadable},
        Damage{"a_folder_in_its_place",
               [](const std::string& h) {
                   std::filesystem::remove(h);
                   std::filesystem::create_directory(h);
               },
               kStored, kUnreadable},
        Damage{"a_fifo_in_its_place",
               [](const std::string& h) {
                   std::filesystem::remove(h);
                   mkfifo(h.c_str(), 0600);
               },
               kStored, kUnreadable},
        Damage{"made_unreadable", [](const std::string& h) { chmod(h.c_str(), 0); }, kStored, kUnreadable}),
    [](const ::testing::TestParamInfo<Damage>& row) { return std::string(row.param.name); });

TEST_F(SettingsFaults, HeldLockNeverHoldsUpReadsAndAWriteGivesUpKeepsItsChangeAndStoresItLater) {
    WriteHive(KeyedHive(kValues));
    const std::string stored = ReadHive();
    ASSERT_EQ(ReadAll(), kStored);
    LockHolder holder(m_hive + ".lock");

    testing::internal::CaptureStderr();
    EXPECT_LT(SecondsFor([] {
                  ReadAll();
                  ReadAll();
              }),
              1.0); // twenty reads; one wait would be 0.25 s
    const double write = SecondsFor([] { Settings::SetValidAge(25); });
    EXPECT_GE(write, 0.25);
    EXPECT_LT(write, 2.0);
    Settings::SetEnableLog(false);
    EXPECT_EQ(Settings::IncrementLogNumber(), std::nullopt);
    const std::string whileHeld = testing::internal::GetCapturedStderr();

    EXPECT_EQ(ReadHive(), stored);
    EXPECT_EQ(ReadAll(), (Readings{"/srv/logs", "Door 2", "/opt/k", "7", 0, 0, 1, 0, 25, 25}));
    EXPECT_EQ(m_warnings, 1);
    const std::string cause = "kestrin: settings: cannot save the settings, keeping the change in memory: lock " +
                              m_hive + ".lock: held by another process for more than 250 ms\n";
    EXPECT_EQ(whileHeld, cause);

    holder.Release();
    Settings::SetCountValidOnly(true);
    std::string expected = KeyedHive(kValues);
    Replace(expected, "\"Enable Log\"=dword:00000001", "\"Enable Log\"=dword:00000000");
    Replace(expected, "\"Count Valid DL Only\"=dword:00000000", "\"Count Valid DL Only\"=dword:00000001");
    Replace(expected, "\"Valid Age\"=dword:00000012", "\"Valid Age\"=dword:00000019");
    EXPECT_EQ(ReadHive(), expected); // the two kept changes went in with the next one
    EXPECT_TRUE(Settings::SaveDeferredChanges());
}

// The lock is shared by every staff account in the hive folder's group, whatever umask the account that
// created it had. As root the folder is given another group first, so that the lock must take it over.
struct Umask {
    const char* name;
    mode_t umask;
    int leftLockMode; // a lock this account left earlier with that mode; -1: none yet
};

class SettingsLockSharing : public HiveFixture, public ::testing::WithParamInterface<Umask> {};

TEST_P(SettingsLockSharing, LockIsGroupReadableAndWritableAndTheHiveKeepsModeAndGroup) {
    WriteHive(KeyedHive(""));
    ASSERT_EQ(chmod(m_hive.c_str(), 0660), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(m_dir.c_str(), static_cast<uid_t>(-1), kNobody), 0);
    }
    const std::string lock = m_hive + ".lock";
    if (GetParam().leftLockMode >= 0) {
        const int fd = open(lock.c_str(), O_RDONLY | O_CREAT, 0);
        ASSERT_GE(fd, 0);
        fchmod(fd, static_cast<mode_t>(GetParam().leftLockMode));
        close(fd);
    }
    struct stat folder {
    }, hiveBefore{};
    ASSERT_EQ(stat(m_dir.c_str(), &folder), 0);
    ASSERT_EQ(stat(m_hive.c_str(), &hiveBefore), 0);

    const mode_t previous = umask(GetParam().umask);
    Settings::SetValidAge(21);
    umask(previous);

    struct stat lockAfter {
    }, hiveAfter{};
    ASSERT_EQ(stat(lock.c_str(), &lockAfter), 0);
    ASSERT_EQ(stat(m_hive.c_str(), &hiveAfter), 0);
    EXPECT_EQ(lockAfter.st_mode & 07777, 0660u);
    EXPECT_EQ(lockAfter.st_gid, folder.st_gid);
    EXPECT_EQ(hiveAfter.st_mode & 07777, 0660u);
    EXPECT_EQ(hiveAfter.st_gid, hiveBefore.st_gid);
    EXPECT_EQ(Settings::GetValidAge(), 21);
}

INSTANTIATE_TEST_SUITE_P(Umasks, SettingsLockSharing,
                         ::testing::Values(Umask{"umask_077", 077, -1}, Umask{"umask_022", 022, -1},
                                           Umask{"own_lock_left_0600", 022, 0600}),
                         [](const ::testing::TestParamInfo<Umask>& row) { return std::string(row.param.name); });

// Anyone in the folder's group can plant something in the lock's place. The store then neither follows it
// nor changes what it points at: the lock counts as a key that cannot be opened, and reads go on.
struct Planted {
    const char* name;
    int (*plant)(const std::string& victim, const std::string& lock);
    const char* reason;
};

class SettingsPlantedLock : public HiveFixture, public ::testing::WithParamInterface<Planted> {};

TEST_P(SettingsPlantedLock, IsNeverFollowedAndFailsLikeAKeyThatCannotBeOpened) {
    WriteHive(KeyedHive("\"Valid Age\"=dword:00000012\r\n\"Log Number\"=dword:00000007\r\n"));
    const std::string before = ReadHive();
    const std::string victim = m_dir + "/victim";
    const std::string lock = m_hive + ".lock";
    std::ofstream(victim) << "victim\n";
    ASSERT_EQ(chmod(victim.c_str(), 0600), 0);
    ASSERT_EQ(GetParam().plant(victim, lock), 0);

    EXPECT_EQ(Settings::GetValidAge(), 18);
    EXPECT_EQ(Settings::IncrementLogNumber(), std::nullopt);
    EXPECT_EXIT(Settings::SetValidAge(21), ::testing::ExitedWithCode(1),
                "cannot write \"Valid Age\": [a-z]+ " + lock + ": " + GetParam().reason +
                    "\nerror: Cannot continue.\nPlease reinstall the program!");
    EXPECT_EQ(ReadHive(), before);
    struct stat st {};
    ASSERT_EQ(stat(victim.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(Slurp(victim), "victim\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir + "/nowhere"));
}

INSTANTIATE_TEST_SUITE_P(
    Plants, SettingsPlantedLock,
    ::testing::Values(Planted{"symbolic_link",
                              [](const std::string& v, const std::string& l) { return symlink(v.c_str(), l.c_str()); },
                              "a symbolic link"},
                      Planted{"dangling_symbolic_link",
                              [](const std::string& v, const std::string& l) {
                                  return symlink((v.substr(0, v.rfind('/')) + "/nowhere").c_str(), l.c_str());
                              },
                              "a symbolic link"},
                      Planted{"hard_link",
                              [](const std::string& v, const std::string& l) { return link(v.c_str(), l.c_str()); },
                              "a hard link to another file"},
                      Planted{"fifo", [](const std::string&, const std::string& l) { return mkfifo(l.c_str(), 0600); },
                              "not a regular file"},
                      Planted{"folder", [](const std::string&, const std::string& l) { return mkdir(l.c_str(), 0700); },
                              "not a regular file"}),
    [](const ::testing::TestParamInfo<Planted>& row) { return std::string(row.param.name); });

TEST_F(SettingsFaults, WhatWasReadFromOneHiveNeverStandsInForAnother) {
    WriteHive(KeyedHive(kValues));
    ASSERT_EQ(ReadAll(), kStored);
    {
        const TempHive other;
        other.WriteText("not a hive");
        EXPECT_EQ(ReadAll(), (Readings{"My Log Files", "Kestrin Log", "", "0", -1, -1, -1, -1, -1, 21}));
        EXPECT_EQ(m_warnings, 0); // nothing was ever read from that one: the defaults hold, silently
    }
    WriteHive("not a hive either");
    EXPECT_EQ(ReadAll(), kStored);
    EXPECT_EQ(m_warnings, 1);
}
