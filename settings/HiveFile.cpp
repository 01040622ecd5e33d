#include "HiveFile.h"

#include <cctype>
#include <cstdio>

namespace Settings {
namespace {

const char kVersionLine[] = "Windows Registry Editor Version 5.00";

bool IsBlank(const std::string& s) {
    for (const char c : s)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s;
}

std::size_t SkipSpaces(const std::string& s, std::size_t pos) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
        ++pos;
    return pos;
}

bool StartsWithNoCase(const std::string& s, std::size_t pos, const char* prefix) {
    for (; *prefix; ++prefix, ++pos) {
        if (pos >= s.size())
            return false;
        if (std::tolower(static_cast<unsigned char>(s[pos])) != std::tolower(static_cast<unsigned char>(*prefix)))
            return false;
    }
    return true;
}

// Reads a quoted text starting at the opening quote; the registry editor escapes only \\ and \".
std::optional<std::string> ReadQuoted(const std::string& s, std::size_t& pos) {
    std::string out;
    for (++pos; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"'))
            ++pos;
        out += s[pos];
    }
    return std::nullopt; // no closing quote: a truncated line
}

std::optional<std::uint32_t> ParseDword(const std::string& digits) {
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        const int d = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return value;
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

struct RawLine {
    std::string text;
    std::string ending;
};

std::vector<RawLine> SplitLines(const std::string& text) {
    std::vector<RawLine> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            lines.push_back({text.substr(start), ""});
            break;
        }
        const bool cr = nl > start && text[nl - 1] == '\r';
        lines.push_back({text.substr(start, nl - start - (cr ? 1 : 0)), cr ? "\r\n" : "\n"});
        start = nl + 1;
    }
    return lines;
}

// A hex value may go on over several lines, each but the last ending in a backslash.
bool ContinuesOnNextLine(const std::string& raw) {
    const std::string t = TrimRight(raw);
    if (t.empty() || t.back() != '\\')
        return false;
    const std::size_t eq = t.find('=');
    return eq != std::string::npos && StartsWithNoCase(t, SkipSpaces(t, eq + 1), "hex");
}

} // namespace

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<HiveFile> HiveFile::Parse(const std::string& text) {
    std::vector<RawLine> raw = SplitLines(text);
    std::size_t first = 0;
    while (first < raw.size() && IsBlank(raw[first].text))
        ++first;
    if (first == raw.size())
        return std::nullopt;
    std::string version = raw[first].text;
    if (version.compare(0, 3, "\xEF\xBB\xBF") == 0)
        version.erase(0, 3);
    if (TrimRight(version) != kVersionLine)
        return std::nullopt;

    HiveFile hive;
    std::string section;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        std::string joined = raw[i].text;
        std::string ending = raw[i].ending;
        while (i + 1 < raw.size() && i > first && ContinuesOnNextLine(joined) && !ending.empty()) {
            ++i;
            joined += ending + raw[i].text;
            ending = raw[i].ending;
        }
        Line line =
            i <= first ? Line{joined, ending, LineKind::Other, {}, {}, false, {}} : ParseLine(joined, ending, section);
        if (line.kind == LineKind::Section)
            section = line.section;
        hive.m_lines.push_back(std::move(line));
    }
    return hive;
}

HiveFile::Line HiveFile::ParseLine(std::string raw, std::string ending, const std::string& currentSection) {
    Line line{std::move(raw), std::move(ending), LineKind::Other, currentSection, {}, false, {}};
    const std::string& s = line.raw;
    std::size_t pos = SkipSpaces(s, 0);
    if (pos >= s.size() || s[pos] == ';')
        return line;

    if (s[pos] == '[') {
        const std::string t = TrimRight(s);
        if (t.back() != ']')
            return line;
        line.kind = LineKind::Section;
        line.section = t.substr(pos + 1, t.size() - pos - 2);
        return line;
    }

    std::string name;
    if (s[pos] == '@') {
        ++pos;
    } else if (s[pos] == '"') {
        auto quoted = ReadQuoted(s, pos);
        if (!quoted)
            return line;
        name = std::move(*quoted);
    } else {
        return line;
    }
    pos = SkipSpaces(s, pos);
    if (pos >= s.size() || s[pos] != '=')
        return line;
    pos = SkipSpaces(s, pos + 1);

    line.kind = LineKind::Value;
    line.name = std::move(name);
    const std::string data = TrimRight(s.substr(pos));
    if (data == "-") {
        line.deleted = true;
    } else if (!data.empty() && data.front() == '"') {
        std::size_t p = 0;
        auto text = ReadQuoted(data, p);
        if (text && p == data.size())
            line.value = {ValueType::Text, std::move(*text), 0};
    } else if (StartsWithNoCase(data, 0, "dword:")) {
        if (auto number = ParseDword(data.substr(6)))
            line.value = {ValueType::Number, {}, *number};
    }
    return line; // anything else (hex:, hex(2):, a broken line) counts as a value of another type
}

bool HiveFile::HasKey(const std::string& keyPath) const {
    for (const Line& line : m_lines)
        if (line.kind == LineKind::Section && EqualsNoCase(line.section, keyPath))
            return true;
    return false;
}

std::optional<std::size_t> HiveFile::EffectiveLine(const std::string& keyPath, const std::string& name) const {
    for (std::size_t i = m_lines.size(); i-- > 0;) {
        const Line& line = m_lines[i];
        if (line.kind == LineKind::Value && EqualsNoCase(line.section, keyPath) && EqualsNoCase(line.name, name))
            return i;
    }
    return std::nullopt;
}

std::optional<HiveFile::Value> HiveFile::Find(const std::string& keyPath, const std::string& name) const {
    const auto index = EffectiveLine(keyPath, name);
    if (!index || m_lines[*index].deleted)
        return std::nullopt;
    return m_lines[*index].value;
}

std::string HiveFile::NewLineEnding() const {
    for (const Line& line : m_lines)
        if (!line.ending.empty())
            return line.ending;
    return "\r\n";
}

bool HiveFile::SetNumber(const std::string& keyPath, const std::string& name, std::uint32_t number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(number));
    Line fresh{Quote(name) + "=dword:" + digits, {}, LineKind::Value, {}, name, false, {ValueType::Number, {}, number}};

    if (const auto index = EffectiveLine(keyPath, name)) {
        Line& line = m_lines[*index];
        fresh.ending = line.ending;
        fresh.section = line.section;
        line = std::move(fresh);
        return true;
    }

    std::optional<std::size_t> section;
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == LineKind::Section && EqualsNoCase(m_lines[i].section, keyPath))
            section = i;
    if (!section)
        return false;

    std::size_t insertAfter = *section;
    for (std::size_t i = *section + 1; i < m_lines.size() && m_lines[i].kind != LineKind::Section; ++i)
        if (!IsBlank(m_lines[i].raw))
            insertAfter = i;
    if (m_lines[insertAfter].ending.empty())
        m_lines[insertAfter].ending = NewLineEnding();
    fresh.ending = NewLineEnding();
    fresh.section = m_lines[*section].section;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAfter + 1), std::move(fresh));
    return true;
}

std::string HiveFile::Text() const {
    std::string text;
    for (const Line& line : m_lines)
        text += line.raw + line.ending;
    return text;
}

} // namespace Settings
