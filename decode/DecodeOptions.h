#pragma once
// Command line of kestrin-decode:
//   kestrin-decode [--now "YYYY-MM-DD HH:MM:SS"] [--json] [--batch] [--no-unknown-file] [FILE]
// FILE "-" (or none) is standard input; --now=T is the same as --now T.

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace MagneticStripeCards::Cli {

struct DecodeOptions {
    std::optional<std::tm> now; // local time to decode as of; the system clock when absent
    bool json = false;
    bool batch = false;
    bool writeUnknownFile = true;
    std::optional<std::string> file; // standard input when absent
    bool help = false;
    bool version = false;
};

struct ParseResult {
    DecodeOptions options;
    std::string error; // empty on success
};

ParseResult ParseArguments(const std::vector<std::string>& arguments);

// "YYYY-MM-DD HH:MM:SS" with a real calendar date; nullopt otherwise.
std::optional<std::tm> ParseLocalTime(const std::string& text);

const char* UsageText();
// "kestrin-decode 1.4.4.62"
std::string VersionText();

} // namespace MagneticStripeCards::Cli
