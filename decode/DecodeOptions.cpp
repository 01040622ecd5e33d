#include "DecodeOptions.h"

#include "CardDates.h"
#include "Clock.h"
#include "StringTable.h"

#include <getopt.h>

namespace MagneticStripeCards::Cli {
namespace {

bool ReadDigits(const std::string& text, std::size_t pos, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

enum LongOnly { kNow = 256, kJson, kBatch, kNoUnknownFile, kVersion };

const option kOptions[] = {{"now", required_argument, nullptr, kNow},
                           {"json", no_argument, nullptr, kJson},
                           {"batch", no_argument, nullptr, kBatch},
                           {"no-unknown-file", no_argument, nullptr, kNoUnknownFile},
                           {"help", no_argument, nullptr, 'h'},
                           {"version", no_argument, nullptr, kVersion},
                           {nullptr, 0, nullptr, 0}};

// One option getopt_long returned; false with `error` set when the command line is wrong.
bool ApplyOption(int code, const char* argument, const char* spelled, DecodeOptions& options, std::string& error) {
    switch (code) {
    case kNow:
        options.now = ParseLocalTime(argument);
        if (!options.now)
            error = std::string("--now: not a time of the form \"YYYY-MM-DD HH:MM:SS\": ") + argument;
        return options.now.has_value();
    case kJson:
        options.json = true;
        return true;
    case kBatch:
        options.batch = true;
        return true;
    case kNoUnknownFile:
        options.writeUnknownFile = false;
        return true;
    case kVersion:
        options.version = true;
        return true;
    case 'h':
        options.help = true;
        return true;
    case ':':
        error = "--now needs a time \"YYYY-MM-DD HH:MM:SS\"";
        return false;
    default:
        error = std::string("unknown option: ") + spelled;
        return false;
    }
}

} // namespace

const char* UsageText() {
    return "usage: kestrin-decode [--now \"YYYY-MM-DD HH:MM:SS\"] [--json] [--batch] [--no-unknown-file] [FILE]\n"
           "       kestrin-decode --version\n"
           "Decodes the scan text in FILE (or standard input, also as FILE \"-\") and prints the card's log row,\n"
           "or \"Unknown DL\".\n"
           "  --now T, --now=T   decode as if the local time were T\n"
           "  --json             print one JSON object per scan instead of the log row\n"
           "  --batch            the input holds several scans separated by NUL bytes (a final NUL ends the\n"
           "                     last scan); one output line per scan\n"
           "  --no-unknown-file  do not append undecodable scans to the unknown-swipe file\n"
           "  --version          print the version and exit\n"
           "Exit status: 0 every scan decoded, 1 some scan was unknown, 2 usage or I/O error.\n";
}

std::string VersionText() {
    return "kestrin-decode " + Resources::String(Resources::IDS_VERSION);
}

std::optional<std::tm> ParseLocalTime(const std::string& text) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ReadDigits(text, 0, 4, year) || !ReadDigits(text, 5, 2, month) || !ReadDigits(text, 8, 2, day) ||
        !ReadDigits(text, 11, 2, hour) || !ReadDigits(text, 14, 2, minute) || !ReadDigits(text, 17, 2, second))
        return std::nullopt;
    if (year < 1900 || !CardDates::RealDate(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return MagneticStripeCards::FixedClock(year, month, day, hour, minute, second).LocalNow();
}

ParseResult ParseArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> owned = arguments;
    owned.insert(owned.begin(), "kestrin-decode");
    std::vector<char*> argv;
    for (std::string& argument : owned)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(owned.size());

    ParseResult result;
    opterr = 0;
    optind = 0; // GNU getopt: start over, so that the parser can run more than once
    int code = 0;
    while ((code = getopt_long(argc, argv.data(), ":h", kOptions, nullptr)) != -1) {
        const char* spelled = optind > 0 && optind <= argc ? argv[static_cast<std::size_t>(optind) - 1] : "";
        if (!ApplyOption(code, optarg, spelled, result.options, result.error))
            return result;
    }
    // GNU getopt has moved the operands behind the options.
    if (argc - optind > 1) {
        result.error = "only one FILE may be given";
        return result;
    }
    if (optind < argc && std::string(argv[static_cast<std::size_t>(optind)]) != "-")
        result.options.file = argv[static_cast<std::size_t>(optind)];
    return result;
}

} // namespace MagneticStripeCards::Cli
