#pragma once
// The settings hive as text: a registry-editor export ("Windows Registry Editor Version 5.00") that this
// build uses where Windows has the registry. It is kept line by line, so a change of one value rewrites
// only that value's line and every other key, value, comment and odd line survives byte for byte.
//
//   text --Parse--> lines (section / value / other) --Find, SetNumber--> lines --Text--> text

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Settings {

class HiveFile {
public:
    enum class ValueType { Text, Number, Other };

    struct Value {
        ValueType type = ValueType::Other;
        std::string text;         // Text
        std::uint32_t number = 0; // Number
    };

    // Nothing when the text is not a hive export (no version line).
    static std::optional<HiveFile> Parse(const std::string& text);

    bool HasKey(const std::string& keyPath) const;

    // The effective value (the last definition wins, as an import would leave it). Nothing when the value
    // is absent or deleted ("Name"=-).
    std::optional<Value> Find(const std::string& keyPath, const std::string& name) const;

    // Sets a REG_DWORD value of an existing key: replaces the effective definition's line, or appends a
    // line to the key's last section. False when the key has no section.
    bool SetNumber(const std::string& keyPath, const std::string& name, std::uint32_t number);

    std::string Text() const;

private:
    enum class LineKind { Section, Value, Other };

    struct Line {
        std::string raw;    // the line's text without its line end, continuation lines included
        std::string ending; // "\r\n", "\n" or "" (last line without one)
        LineKind kind = LineKind::Other;
        std::string section; // Section: the key path; Value: the path of the section it stands in
        std::string name;    // Value: the value name ("" for the default value @)
        bool deleted = false;
        Value value;
    };

    static Line ParseLine(std::string raw, std::string ending, const std::string& currentSection);
    std::optional<std::size_t> EffectiveLine(const std::string& keyPath, const std::string& name) const;
    std::string NewLineEnding() const;

    std::vector<Line> m_lines;
};

// Case-insensitive comparison, as the registry compares key paths and value names.
bool EqualsNoCase(const std::string& a, const std::string& b);

} // namespace Settings
