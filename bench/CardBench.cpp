// Decoding speed of whole scans: the three-track example swipe, the track-2-only swipe, the 19-ID barcode
// example, a version-10 AAMVA barcode with its separators and run together (as a keyboard-wedge reader
// that loses LF, RS and CR types it), generated AAMVA cards of every version both ways (run together
// should cost at most twice as much), and scan texts of 1 MB that the decoder must decide quickly
// (letters, '?' and ';', texts built to make backtracking patterns explode, AAMVA headers with endless
// element IDs).

#include "AamvaCardGenerator.h"
#include "Card.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using MagneticStripeCards::Card;
using MagneticStripeCards::FixedClock;

const FixedClock kClock(2007, 3, 10, 14, 5, 33);

const std::string kThreeTracks = "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#0295814"
                                 "      C               1508150BRNBLU?";
const std::string kTrackTwo = ";6360141234567=08121980061500?";
const std::string kBarcode = "@\nANSI 636014DLDAQD1234567\nDAADOE,JOHN,Q\nDAG123 MAIN ST\nDAHAPT 5\nDAISACRAMENTO\n"
                             "DAJCA\nDAK95814\nDARC\nDASNONE\nDATNONE\nDAU508\nDAW150\nDBA20081215\nDBB19800615\n"
                             "DBC1\nDBD20040115\nDBHN\nDBJ00001\nDBK000000000\n";

// AAMVA DL/ID, version 10, as the standard's sample lays it out (made-up holder).
const std::string kAamva10 =
    "@\n\x1e\rANSI 636014100102DL00410325ZC03660007DLDAQM4821-5567-0093\nDCSMORALES\nDDEN\nDACISABEL\nDDFN\n"
    "DADMARIA,LUZ\nDDGN\nDCU\nDCAC\nDCBNONE\nDCDNONE\nDBD03152022\nDBB07041999\nDBA07042030\nDBC2\nDAU064 in\n"
    "DAYBRO\nDAG1450 OAK GROVE AVE\nDAIFRESNO\nDAJCA\nDAK937040000  \nDCF22A7Q91KD0H4\nDCGUSA\nDAW130\nDAZBLK\n"
    "DCK22074M48215567009301\nDDAF\nDDB08292017\nDDD0\nDDH07042017\nDDI07042018\nDDJ07042020\rZCZCAX\r";

std::string WithoutSeparators(std::string text) {
    std::string out;
    for (const char c : text)
        if (c != '\n' && c != '\r' && c != '\x1e')
            out += c;
    return out;
}

void Decode(benchmark::State& state, const std::string& scan) {
    for (auto _ : state) {
        const Card card(scan, kClock);
        benchmark::DoNotOptimize(card.Age());
    }
    state.SetItemsProcessed(state.iterations());
}

// Rejected scans: measured without an unknown-scan sink, since the unknown-swipe file is a disk matter.
void DecodeOrReject(benchmark::State& state, const std::string& scan) {
    for (auto _ : state) {
        try {
            const Card card(scan, kClock);
            benchmark::DoNotOptimize(card.Age());
        } catch (const std::logic_error&) {
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(scan.size()));
}

std::string Repeat(const std::string& unit, std::size_t bytes) {
    std::string s;
    while (s.size() < bytes)
        s += unit;
    s.resize(bytes);
    return s;
}

constexpr std::size_t kMegabyte = 1 << 20;

void BM_ThreeTrackSwipe(benchmark::State& state) {
    Decode(state, kThreeTracks);
}
void BM_TrackTwoOnlySwipe(benchmark::State& state) {
    Decode(state, kTrackTwo);
}
void BM_Barcode(benchmark::State& state) {
    Decode(state, kBarcode);
}
void BM_AamvaVersion10(benchmark::State& state) {
    Decode(state, kAamva10);
}
void BM_AamvaVersion10RunTogether(benchmark::State& state) {
    Decode(state, WithoutSeparators(kAamva10));
}
// The same few hundred generated cards each time, with their separators or run together.
const std::vector<CardTests::GeneratedCard>& GeneratedCards() {
    static const std::vector<CardTests::GeneratedCard> cards = [] {
        CardTests::AamvaCardGenerator generator(2026);
        std::vector<CardTests::GeneratedCard> made;
        for (int i = 0; i < 300; ++i)
            made.push_back(generator.Next());
        return made;
    }();
    return cards;
}

void DecodeGenerated(benchmark::State& state, bool runTogether) {
    std::vector<std::string> scans;
    for (const CardTests::GeneratedCard& card : GeneratedCards())
        scans.push_back(runTogether ? card.RunTogether() : card.Separated());
    std::size_t next = 0;
    for (auto _ : state) {
        try {
            const Card card(scans[next], kClock);
            benchmark::DoNotOptimize(card.Age());
        } catch (const std::logic_error&) {
        }
        next = (next + 1) % scans.size();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_GeneratedAamvaSeparated(benchmark::State& state) {
    DecodeGenerated(state, false);
}
void BM_GeneratedAamvaRunTogether(benchmark::State& state) {
    DecodeGenerated(state, true);
}
void BM_MegabyteOfLetters(benchmark::State& state) {
    DecodeOrReject(state, Repeat("ABCDEFGHIJKLMNOPQRSTUVWXYZ", kMegabyte));
}
void BM_MegabyteOfQuestionMarksAndSemicolons(benchmark::State& state) {
    DecodeOrReject(state, Repeat("?;", kMegabyte));
}
void BM_MegabyteSemicolonFirst(benchmark::State& state) {
    DecodeOrReject(state, Repeat(";?", kMegabyte));
}
void BM_MegabytePercentFirst(benchmark::State& state) {
    DecodeOrReject(state, "%" + Repeat("?;", kMegabyte - 1));
}
void BM_MegabyteRepeatedSentinels(benchmark::State& state) {
    DecodeOrReject(state, Repeat("%;?#", kMegabyte));
}
// Splits into three tracks of about a third of a megabyte each, full of the track-1 separators.
void BM_MegabyteHugeTracks(benchmark::State& state) {
    const std::string third = Repeat("A^$ ,", kMegabyte / 3);
    DecodeOrReject(state, "%" + third + "?;" + Repeat("1=", kMegabyte / 3) + "?#" + third + "?");
}
// Track 1 of a megabyte of '^': the name and address patterns explore before they fail.
void BM_MegabyteTrack1OfCarets(benchmark::State& state) {
    DecodeOrReject(state, "%CA" + std::string(kMegabyte, '^') + "?" + kThreeTracks.substr(kThreeTracks.find(';')));
}
// Three tracks full of '?', with no field separators: every track-1 pattern explores and fails.
void BM_MegabyteQuestionMarkTracks(benchmark::State& state) {
    DecodeOrReject(state, "%" + Repeat("A?", kMegabyte / 2) + ";" + Repeat("1?", kMegabyte / 4) + "#" +
                              Repeat("2?", kMegabyte / 4));
}
void BM_MegabyteBarcode(benchmark::State& state) {
    DecodeOrReject(state, "@" + Repeat("DAQDBB;%?", kMegabyte - 1));
}
// Every one of the 19 IDs, over and over, without a line feed: the 19-ID rules take it and look for the
// end of each value to the end of the text; with an AAMVA header in front, the AAMVA format reads it after
// them (it carries DBJ) and turns it away by its length.
void BM_MegabyteBarcodeOfAllIds(benchmark::State& state) {
    DecodeOrReject(state, "@" + Repeat("DAQDAADAHDAGDAIDAJDAKDASDAUDAWDBADBBDBCDATDARDBDDBHDBJDBK", kMegabyte - 1));
}
void BM_MegabyteAamvaOfAllIds(benchmark::State& state) {
    DecodeOrReject(state, "@\n\x1e\rANSI 636014100102DL00410278DL" +
                              Repeat("DAQDAADAHDAGDAIDAJDAKDASDAUDAWDBADBBDBCDATDARDBDDBHDBJDBK", kMegabyte - 31));
}
// The letter the test for DBJ looks for, and nothing else: it finds a J at every byte.
void BM_MegabyteBarcodeOfJ(benchmark::State& state) {
    DecodeOrReject(state, "@" + std::string(kMegabyte - 1, 'J'));
}
void BM_MegabyteAamvaOfDaq(benchmark::State& state) {
    DecodeOrReject(state, "@\n\x1e\rANSI 636014100102DL00410278DL" + Repeat("DAQ", kMegabyte - 31));
}
void BM_MegabyteAamvaHeaders(benchmark::State& state) {
    DecodeOrReject(state, Repeat("@ANSI 636014109999DL00000000", kMegabyte));
}
// Within the length a barcode can have: 16 KB of element IDs run together, every one a place to cut.
void BM_LongestAamvaOfIds(benchmark::State& state) {
    DecodeOrReject(state, "@ANSI 636014100102DL00410278DL" + Repeat("DAQDCSDACDADDAGDAIDAJDBBDBA1", 16 * 1024 - 29));
}

BENCHMARK(BM_ThreeTrackSwipe);
BENCHMARK(BM_TrackTwoOnlySwipe);
BENCHMARK(BM_Barcode);
BENCHMARK(BM_AamvaVersion10);
BENCHMARK(BM_AamvaVersion10RunTogether);
BENCHMARK(BM_GeneratedAamvaSeparated);
BENCHMARK(BM_GeneratedAamvaRunTogether);
BENCHMARK(BM_MegabyteOfLetters)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteOfQuestionMarksAndSemicolons)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteSemicolonFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabytePercentFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteRepeatedSentinels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteHugeTracks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteTrack1OfCarets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteQuestionMarkTracks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteBarcode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteBarcodeOfAllIds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteAamvaOfAllIds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteBarcodeOfJ)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteAamvaOfDaq)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteAamvaHeaders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongestAamvaOfIds)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
