// kestrin-decode: decodes scan texts the way the station does and prints the card's log row or a JSON
// object per scan. Undecodable scans print "Unknown DL" (with the decoder's reason on standard error and
// among the JSON warnings, where it gives one) and, unless --no-unknown-file is given, go to the
// unknown-swipe file like the station's.

#include "Card.h"
#include "CardJson.h"
#include "DecodeOptions.h"
#include "UnknownSwipeFile.h"
#include "UnreadableScan.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using MagneticStripeCards::Card;
using namespace MagneticStripeCards::Cli;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool ReadAll(std::FILE* in, std::string& data) {
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, in);
        data.append(buffer, got);
        if (got < sizeof buffer)
            return std::ferror(in) == 0;
    }
}

// One output line for one scan; false when the scan was unknown.
bool DecodeOne(const std::string& scan, const DecodeOptions& options, const MagneticStripeCards::Clock& clock,
               std::string& out) {
    try {
        const Card card(scan, clock);
        if (options.json)
            out += CardJson(card);
        else
            card.AppendLogRow(out);
        out += '\n';
        return true;
    } catch (const MagneticStripeCards::UnreadableScan& rejected) {
        const MagneticStripeCards::CardWarning& reason = rejected.Reason();
        std::fprintf(stderr, "kestrin-decode: %s: %s\n", reason.code.c_str(), reason.text.c_str());
        out += options.json ? UnknownJson({reason}) : "Unknown DL";
        out += '\n';
        return false;
    } catch (const std::logic_error&) {
        out += options.json ? UnknownJson() : "Unknown DL";
        out += '\n';
        return false;
    }
}

// Calls `each` with every scan of the input: the whole input, or with `batch` each NUL-separated part.
// One buffer holds the scan at hand, so a batch costs no copy of the whole input.
template <typename Each> void ForEachScan(const std::string& input, bool batch, Each each) {
    if (!batch) {
        each(input);
        return;
    }
    std::string scan;
    std::size_t start = 0;
    while (start < input.size()) {
        std::size_t end = input.find('\0', start);
        if (end == std::string::npos)
            end = input.size();
        scan.assign(input, start, end - start);
        each(scan);
        start = end + 1;
    }
}

int Run(const std::vector<std::string>& arguments) {
    const ParseResult parsed = ParseArguments(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "kestrin-decode: %s\n%s", parsed.error.c_str(), UsageText());
        return 2;
    }
    const DecodeOptions& options = parsed.options;
    if (options.help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s\n", VersionText().c_str());
        return 0;
    }
    std::string input;
    if (options.file) {
        const std::unique_ptr<std::FILE, FileCloser> in(std::fopen(options.file->c_str(), "rb"));
        if (!in || !ReadAll(in.get(), input)) {
            std::fprintf(stderr, "kestrin-decode: cannot read %s: %s\n", options.file->c_str(), std::strerror(errno));
            return 2;
        }
    } else if (!ReadAll(stdin, input)) {
        std::fprintf(stderr, "kestrin-decode: cannot read standard input: %s\n", std::strerror(errno));
        return 2;
    }

    // Rejected scans go to the unknown-swipe file, as the station's do, unless told otherwise.
    MagneticStripeCards::UnknownSwipeFile unknownFile;
    const MagneticStripeCards::ScopedUnknownScanSink sink(options.writeUnknownFile ? &unknownFile : nullptr);

    std::unique_ptr<MagneticStripeCards::FixedClock> fixed;
    if (options.now)
        fixed = std::make_unique<MagneticStripeCards::FixedClock>(*options.now);
    const MagneticStripeCards::Clock& clock =
        fixed ? static_cast<const MagneticStripeCards::Clock&>(*fixed) : MagneticStripeCards::SystemClock::Instance();

    bool allDecoded = true;
    std::string out;
    ForEachScan(input, options.batch, [&](const std::string& scan) {
        allDecoded = DecodeOne(scan, options, clock, out) && allDecoded;
        if (out.size() >= 65536) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    });
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kestrin-decode: cannot write standard output: %s\n", std::strerror(errno));
        return 2;
    }
    return allDecoded ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrin-decode: %s\n", error.what());
        return 2;
    }
}
