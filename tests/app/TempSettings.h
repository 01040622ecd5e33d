#pragma once
// A settings hive of the test's own, pointed at by KESTRIN_REGISTRY while the object lives, whose log
// folder is a fresh temporary folder: the unknown-swipe file the decoder writes for undecodable scans
// stays inside it.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

class TempSettings {
public:
    TempSettings() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrin-cycle-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern;
        std::filesystem::create_directory(LogFolder());
        std::ofstream hive(m_root / "registry.reg", std::ios::binary);
        hive << "Windows Registry Editor Version 5.00\r\n\r\n"
             << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n"
             << "\"Log Folder\"=\"" << LogFolder().string() << "\"\r\n"
             << "\"Valid Age\"=dword:00000015\r\n";
        hive.close();
        if (const char* previous = std::getenv("KESTRIN_REGISTRY"))
            m_previous = previous;
        setenv("KESTRIN_REGISTRY", (m_root / "registry.reg").c_str(), 1);
    }
    ~TempSettings() {
        if (m_previous.empty())
            unsetenv("KESTRIN_REGISTRY");
        else
            setenv("KESTRIN_REGISTRY", m_previous.c_str(), 1);
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    std::filesystem::path LogFolder() const { return m_root / "logs"; }

private:
    std::filesystem::path m_root;
    std::string m_previous;
};
