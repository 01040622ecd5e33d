#pragma once
// A settings hive file in a fresh temporary folder, named by KESTRIN_REGISTRY for as long as the object
// lives (the previous value comes back afterwards). Without Write the file does not exist, which the
// store treats as a key that cannot be opened.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <variant>
#include <vector>

class TempHive {
public:
    struct Value {
        std::string name;
        std::variant<std::string, std::uint32_t> value;
    };

    TempHive() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrin-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_dir = pattern;
        if (const char* previous = std::getenv("KESTRIN_REGISTRY"))
            m_previous = previous;
        setenv("KESTRIN_REGISTRY", Path().c_str(), 1);
    }
    ~TempHive() {
        if (m_previous.empty())
            unsetenv("KESTRIN_REGISTRY");
        else
            setenv("KESTRIN_REGISTRY", m_previous.c_str(), 1);
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    TempHive(const TempHive&) = delete;
    TempHive& operator=(const TempHive&) = delete;

    const std::string& Dir() const { return m_dir; }
    std::string Path() const { return m_dir + "/registry.reg"; }

    // Writes the key with these values (an empty list gives an existing, empty key).
    void Write(std::initializer_list<Value> values) const { Write(std::vector<Value>(values)); }
    void Write(const std::vector<Value>& values) const {
        std::ofstream out(Path(), std::ios::binary | std::ios::trunc);
        out << "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\n";
        for (const Value& v : values) {
            out << '"' << Escaped(v.name) << "\"=";
            if (const auto* text = std::get_if<std::string>(&v.value)) {
                out << '"' << Escaped(*text) << "\"\n";
            } else {
                char hex[9];
                std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(std::get<std::uint32_t>(v.value)));
                out << "dword:" << hex << '\n';
            }
        }
    }

    // Writes the file as given, byte for byte.
    void WriteText(const std::string& text) const { std::ofstream(Path(), std::ios::binary | std::ios::trunc) << text; }

    std::string Contents() const {
        std::ifstream in(Path(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static std::string Escaped(const std::string& text) {
        std::string out;
        for (const char c : text) {
            if (c == '\\' || c == '"')
                out += '\\';
            out += c;
        }
        return out;
    }

private:
    std::string m_dir;
    std::string m_previous;
};

// A hive whose "Log Folder" is a fresh folder inside the temporary one (and "Valid Age" 21), so that
// everything the program under test writes stays in the test's own folder.
class TempSettings : public TempHive {
public:
    TempSettings() {
        std::filesystem::create_directory(LogFolder());
        Write({{"Log Folder", LogFolder().string()}, {"Valid Age", std::uint32_t{21}}});
    }
    std::filesystem::path LogFolder() const { return std::filesystem::path(Dir()) / "logs"; }
};
