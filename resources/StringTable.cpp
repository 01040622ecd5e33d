#include "StringTable.h"

#include <algorithm>
#include <array>
#include <utility>

namespace Resources {
namespace {

struct Entry {
    unsigned id;
    const char* text;
};

// Sorted by id.
constexpr std::array<Entry, 35> kTable{{
    {101, "&About Kestrin..."},
    {102, "Unknown DL"},
    {103, "Ready!"},
    {105, "Exp. Date "},
    {107, "Orbelon Kestrin"},
    {110, "Kestrin Log"},
    {111, "SOFTWARE\\Orbelon\\Kestrin"},
    {114, "\r\n"},
    {116, "1.4.4.62"},
    {117, "mailto:kestrin@orbelon.example"},
    {118, "http://www.orbelon.example/kestrin"},
    {119, "N/A"},
    {121, "Log Folder"},
    {122, "Log Name"},
    {123, "My Log Files"},
    {128, "Enable Log"},
    {130, "Enable Comments"},
    {131, "Kestrin Advanced"},
    {139, "Cannot continue.\nPlease reinstall the program!"},
    {140, "error"},
    {148, "\\unknowndl.txt"},
    {155, "App Folder"},
    {159, "Log Number"},
    {160, "KestrinHelp.pdf"},
    {161, "Cannot open help file."},
    {165, "Enable Ontop"},
    {166, "Valid Age"},
    {167, "\"DATE & TIME\",\"NAME\",\"AGE\",\"SEX\",\"STATE\",\"CITY\",\"ADDRESS\",\"POSTAL CODE\",\"BIRTHDATE\","
          "\"DL#\",\"EXPIRATION DATE\",\"ISOIIN\",\"RESTRICTIONS\",\"HEIGHT\",\"WEIGHT\",\"HAIR COLOR\","
          "\"EYE COLOR\",\"DATE\",\"TIME\"\r\n"},
    {170, "Count Valid DL Only"},
    {171, "Keep Days"},
    {172, "Log Personal Data"},
    {180, "Full Screen"},
    {181, "Reader Layout"},
    {190, "mDL Trust Folder"},
    {191, "Verdict Delay"},
}};

} // namespace

std::string String(unsigned id) {
    const auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                                     [](const Entry& e, unsigned wanted) { return e.id < wanted; });
    if (it == kTable.end() || it->id != id)
        return {};
    return it->text;
}

std::string PathString(unsigned id) {
    std::string text = String(id);
#ifndef _WIN32
    std::replace(text.begin(), text.end(), '\\', '/');
#endif
    return text;
}

} // namespace Resources
