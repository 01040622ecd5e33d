#include "DecodeOptions.h"

#include "Clock.h"

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

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

} // namespace

const char* UsageText() {
    return "usage: kestrin-decode [--now \"YYYY-MM-DD HH:MM:SS\"] [--json] [--batch] [--no-unknown-file] [FILE]\n"
           "Decodes the scan text in FILE (or standard input) and prints the card's log row, or \"Unknown DL\".\n"
           "  --now T            decode as if the local time were T\n"
           "  --json             print one JSON object per scan instead of the log row\n"
           "  --batch            the input holds several scans separated by NUL bytes (a final NUL ends the\n"
           "                     last scan); one output line per scan\n"
           "  --no-unknown-file  do not append undecodable scans to the unknown-swipe file\n"
           "Exit status: 0 every scan decoded, 1 some scan was unknown, 2 usage or I/O error.\n";
}

std::optional<std::tm> ParseLocalTime(const std::string& text) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ReadDigits(text, 0, 4, year) || !ReadDigits(text, 5, 2, month) || !ReadDigits(text, 8, 2, day) ||
        !ReadDigits(text, 11, 2, hour) || !ReadDigits(text, 14, 2, minute) || !ReadDigits(text, 17, 2, second))
        return std::nullopt;
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;
    return MagneticStripeCards::FixedClock(year, month, day, hour, minute, second).LocalNow();
}

ParseResult ParseArguments(const std::vector<std::string>& arguments) {
    ParseResult result;
    DecodeOptions& options = result.options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--json") {
            options.json = true;
        } else if (!optionsEnded && argument == "--batch") {
            options.batch = true;
        } else if (!optionsEnded && argument == "--no-unknown-file") {
            options.writeUnknownFile = false;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            options.help = true;
        } else if (!optionsEnded && argument == "--now") {
            if (i + 1 >= arguments.size()) {
                result.error = "--now needs a time \"YYYY-MM-DD HH:MM:SS\"";
                return result;
            }
            options.now = ParseLocalTime(arguments[++i]);
            if (!options.now) {
                result.error = "--now: not a time of the form \"YYYY-MM-DD HH:MM:SS\": " + arguments[i];
                return result;
            }
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            result.error = "unknown option: " + argument;
            return result;
        } else if (options.file) {
            result.error = "only one FILE may be given";
            return result;
        } else {
            options.file = argument;
        }
    }
    return result;
}

} // namespace MagneticStripeCards::Cli
