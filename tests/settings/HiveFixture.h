#pragma once
// A test with a temporary settings hive of its own (see TempHive), the key's section as text, and what
// every reader of the store gives at one moment.

#include "Settings.h"
#include "TempHive.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

class HiveFixture : public ::testing::Test {
protected:
    static std::string KeyedHive(const std::string& values) {
        return "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n" +
               values;
    }
    void WriteHive(const std::string& text) const { m_temp.WriteText(text); }
    std::string ReadHive() const { return m_temp.Contents(); }

    const TempHive m_temp;
    const std::string m_dir = m_temp.Dir();
    const std::string m_hive = m_temp.Path();
};

// Every reader of the store, compared as a whole so that a failure shows all of them.
struct Readings {
    std::string logFolder, logName, appFolder, logNumber;
    std::int32_t enableLog, enableOntop, enableComments, countValidOnly, validAge, verdictAge;

    auto Tied() const {
        return std::tie(logFolder, logName, appFolder, logNumber, enableLog, enableOntop, enableComments,
                        countValidOnly, validAge, verdictAge);
    }
    bool operator==(const Readings& o) const { return Tied() == o.Tied(); }
    friend std::ostream& operator<<(std::ostream& os, const Readings& r) {
        return os << "{" << r.logFolder << "|" << r.logName << "|" << r.appFolder << "|" << r.logNumber << "|"
                  << r.enableLog << "," << r.enableOntop << "," << r.enableComments << "," << r.countValidOnly << ","
                  << r.validAge << "," << r.verdictAge << "}";
    }
};

inline Readings ReadAll() {
    return {Settings::GetLogFolder(),      Settings::GetLogName(),        Settings::GetAppFolder(),
            Settings::GetLogNumberText(),  Settings::GetEnableLog(),      Settings::GetEnableOntop(),
            Settings::GetEnableComments(), Settings::GetCountValidOnly(), Settings::GetValidAge(),
            Settings::VerdictValidAge()};
}
