#pragma once
// A test with a temporary settings hive of its own (see TempHive), and the key's section as text.

#include "TempHive.h"

#include <string>

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
