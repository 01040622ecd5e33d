#pragma once
// A temporary folder with a settings hive in it, named by KESTRIN_REGISTRY for the test's duration.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

class HiveFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrin-hive-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_hive = m_dir + "/registry.reg";
        setenv("KESTRIN_REGISTRY", m_hive.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("KESTRIN_REGISTRY");
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    static std::string KeyedHive(const std::string& values) {
        return "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n" +
               values;
    }
    void WriteHive(const std::string& text) const {
        std::ofstream(m_hive, std::ios::binary | std::ios::trunc) << text;
    }
    std::string ReadHive() const {
        std::ifstream in(m_hive, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string m_dir;
    std::string m_hive;
};
