// Decodes one kind of scan a given number of times, for instruction counts that do not depend on the
// machine's load: run under callgrind with collection on for DecodeMeasured only, and divide by the count
// (bench/README.md). The patterns are compiled by a warm-up round that is not counted.
//
// usage: card_decode_loop <three-tracks|track-two|barcode|v10|v10-run-together> [count]

#include "Card.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

namespace {

using MagneticStripeCards::Card;

const MagneticStripeCards::FixedClock kClock(2007, 3, 10, 14, 5, 33);

const std::string kAamva10 =
    "@\n\x1e\rANSI 636014100102DL00410325ZC03660007DLDAQM4821-5567-0093\nDCSMORALES\nDDEN\nDACISABEL\nDDFN\n"
    "DADMARIA,LUZ\nDDGN\nDCU\nDCAC\nDCBNONE\nDCDNONE\nDBD03152022\nDBB07041999\nDBA07042030\nDBC2\nDAU064 in\n"
    "DAYBRO\nDAG1450 OAK GROVE AVE\nDAIFRESNO\nDAJCA\nDAK937040000  \nDCF22A7Q91KD0H4\nDCGUSA\nDAW130\nDAZBLK\n"
    "DCK22074M48215567009301\nDDAF\nDDB08292017\nDDD0\nDDH07042017\nDDI07042018\nDDJ07042020\rZCZCAX\r";

std::string WithoutSeparators(const std::string& text) {
    std::string out;
    for (const char c : text)
        if (c != '\n' && c != '\r' && c != '\x1e')
            out += c;
    return out;
}

const std::map<std::string, std::string>& Scans() {
    static const std::map<std::string, std::string> scans = {
        {"three-tracks", "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#0295814      C"
                         "               1508150BRNBLU?"},
        {"track-two", ";6360141234567=08121980061500?"},
        {"barcode", "@\nANSI 636014DLDAQD1234567\nDAADOE,JOHN,Q\nDAG123 MAIN ST\nDAHAPT 5\nDAISACRAMENTO\nDAJCA\n"
                    "DAK95814\nDARC\nDASNONE\nDATNONE\nDAU508\nDAW150\nDBA20081215\nDBB19800615\nDBC1\n"
                    "DBD20040115\nDBHN\nDBJ00001\nDBK000000000\n"},
        {"v10", kAamva10},
        {"v10-run-together", WithoutSeparators(kAamva10)},
    };
    return scans;
}

__attribute__((noinline)) long DecodeMany(const std::string& scan, long count) {
    long ages = 0;
    for (long i = 0; i < count; ++i) {
        try {
            const Card card(scan, kClock);
            ages += card.Age();
        } catch (const std::logic_error&) {
        }
    }
    return ages;
}

__attribute__((noinline)) long DecodeMeasured(const std::string& scan, long count) {
    return DecodeMany(scan, count);
}

} // namespace

int main(int argc, char** argv) {
    const auto scan = argc > 1 ? Scans().find(argv[1]) : Scans().end();
    if (scan == Scans().end()) {
        std::fprintf(stderr, "usage: card_decode_loop <three-tracks|track-two|barcode|v10|v10-run-together> [count]\n");
        return 2;
    }
    const long count = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1000;
    DecodeMany(scan->second, 10);
    std::printf("%ld\n", DecodeMeasured(scan->second, count));
    return 0;
}
