#include "CommandLine.h"

#include "StringTable.h"

#include <cstring>

namespace {

// "kestrin (Kestrin Advanced) 1.4.4.62", the GNU form of a version line.
std::string VersionText() {
    return std::string("kestrin (") + Resources::String(Resources::IDS_PRODUCT) + ") " +
           Resources::String(Resources::IDS_VERSION) + "\n";
}

std::string HelpText() {
    return std::string("Usage: kestrin [Qt option]...\n"
                       "       kestrin --version | --help\n"
                       "\n") +
           Resources::String(Resources::IDS_PRODUCT) +
           ", the age-verification station: a card reader in keyboard mode types a driver's\n"
           "licence into the window, and the station shows the holder's age in green or red.\n"
           "\n"
           "  --version  print the name and version, and exit\n"
           "  --help     print this text, and exit\n"
           "Other arguments go to Qt, for example -platform xcb or -display :0.\n"
           "\n"
           "Settings: the hive named by KESTRIN_REGISTRY, else /var/lib/kestrin/registry.reg.\n"
           "See kestrin(1) and the user manual (Help > Help).\n";
}

} // namespace

namespace CommandLine {

std::optional<std::string> InfoText(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0)
            return VersionText();
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return HelpText();
    }
    return std::nullopt;
}

} // namespace CommandLine
