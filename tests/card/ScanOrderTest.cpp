// The AAMVA format reads a barcode ahead of the 19-ID rules only where those rules would turn it away
// untouched (LegacyBarcodeFormat::CannotTake). Shown three ways: the test of that condition on texts made
// to sit at its edges; the 19-ID rules really turning away every golden and generated scan the condition
// lets by; and every one of those scans giving the same outcome in the order the formats now run as in
// the order the station always had (stripe, 19-ID rules, AAMVA).

#include "AamvaBarcodeFormat.h"
#include "AamvaCardGenerator.h"
#include "LegacyBarcodeFormat.h"
#include "ScanFormat.h"
#include "StripeFormat.h"
#include "UnreadableScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace MagneticStripeCards;

const FixedClock kNow(2026, 3, 10, 14, 5, 33);
const std::string kUnknown = "Unknown DL";

// The 19-ID example: every one of the IDs, each in its own element.
const std::string kNineteen = "@\nANSI 636014DLDAQD1234567\nDAADOE,JOHN,Q\nDAG123 MAIN ST\nDAHAPT 5\nDAISACRAMENTO\n"
                              "DAJCA\nDAK95814\nDARC\nDASNONE\nDATNONE\nDAU508\nDAW150\nDBA20081215\nDBB19800615\n"
                              "DBC1\nDBD20040115\nDBHN\nDBJ00001\nDBK000000000\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TEST(ScanOrder, CannotTakeOnlyWhatTheRulesTurnAway) {
    const struct {
        const char* name;
        std::string text;
        bool cannotTake;
    } cases[] = {
        {"empty", "", true},
        {"stripe", "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?", true},
        {"leading space before the @", " " + kNineteen, true},
        {"all 19 IDs", kNineteen, false},
        {"all 19 IDs after a quote", "\"" + kNineteen.substr(1), false},
        {"DBJ the last three bytes", Replaced(kNineteen, "DBJ00001\nDBK000000000\n", "DBK0\nDBJ"), false},
        {"DBJ right after the @", "@DBJ", false},
        {"DBJ inside another value", Replaced(kNineteen, "DBJ00001\n", "DCFXDBJX\n"), false},
        {"no DBJ", Replaced(kNineteen, "DBJ00001\n", ""), true},
        {"J without DB", Replaced(kNineteen, "DBJ00001\n", "DAJ\nDBXJ\nBJ\nDJ\n"), true},
        {"J in the first two bytes", "@J", true},
        {"J first", "J", true},
        {"DBJ after many a J", "@" + std::string(200, 'J') + "DBJ" + std::string(10, 'J'), false},
        {"only Js", "@" + std::string(200, 'J'), true},
        {"DBJ last after many a J", "@" + std::string(200, 'J') + "DBJ", false},
        // The swipe as it came: carriage returns count as absent, as in the text the rules read.
        {"only carriage returns", "\r\r", true},
        {"carriage returns before the @", "\r\r" + kNineteen, false},
        {"carriage return before a stripe", "\r%CA^DBJ", true},
        {"DBJ split by carriage returns", "@\rD\rB\r\rJ", false},
        {"DBJ split after many a J", "@" + std::string(200, 'J') + "D\rBJ", false},
        {"carriage return only before the D", "@\rDBJ", false},
        {"BDJ across a carriage return", "@B\rDJ", true},
        {"D, carriage return, J", "@D\rJ", true},
        {"carriage return then J first", "\rJ", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LegacyBarcodeFormat::CannotTake(c.text), c.cannotTake) << c.name;
        EXPECT_EQ(LegacyBarcodeFormat::CannotTake(WithoutCarriageReturns(c.text)), c.cannotTake) << c.name;
    }
}

// How a scan ends when the formats are tried in `formats` order, the way the Card tries them: the first
// that decodes wins, else the first failure stands, else the 19-ID rules' rejection.
std::string Outcome(const std::vector<const ScanFormat*>& formats, const std::string& swipe) {
    const std::string text = WithoutCarriageReturns(swipe);
    std::string failedPart;
    const ScanWork work{swipe, text, kNow, kUnknown, failedPart};
    std::string failure;
    for (const ScanFormat* format : formats) {
        CardRecord r;
        r.scanTime = kNow.LocalNow();
        try {
            if (!format->Decode(work, r))
                continue;
        } catch (const UnreadableScan& e) {
            failure = failure.empty() ? "unreadable " + e.Reason().code + ": " + e.Reason().text : failure;
            continue;
        } catch (const std::logic_error& e) {
            failure = failure.empty() ? std::string("logic_error ") + e.what() : failure;
            continue;
        }
        const auto date = [](const std::optional<CalendarDate>& d) {
            return d ? std::to_string(d->year) + "-" + std::to_string(d->month) + "-" + std::to_string(d->day) : "-";
        };
        return std::string(format->Name()) + "|" + r.name + "|" + r.lastName + "|" + r.firstName + "|" + r.middleName +
               "|" + r.nameSuffix + "|" + r.dlNumber + "|" + r.address + "|" + r.city + "|" + r.state + "|" +
               r.postalCode + "|" + r.country + "|" + r.issuerIin + "|" + r.documentType + "|" + r.birthDate + "|" +
               r.expirationDate + "|" + r.expirationText + "|" + date(r.birth) + "|" + date(r.expiry) + "|" +
               date(r.issue) + "|" + date(r.under21) + "|" + std::to_string(r.age) + "|" +
               (r.expired ? "expired" : "valid") + "|" + r.sex + "|" + r.height + "|" + r.weight + "|" + r.eyeColor +
               "|" + r.hairColor + "|" + r.restrictions + "|" + std::to_string(r.invalidDates) + "|" +
               r.splitAmbiguity + "|" + std::to_string(r.aamvaVersion.value_or(-1));
    }
    if (!failure.empty())
        return failure;
    try {
        LegacyBarcodeFormat::RejectUnclaimed(text, kUnknown);
    } catch (const std::out_of_range& e) {
        return std::string("out_of_range ") + e.what();
    } catch (const std::logic_error& e) {
        return std::string("logic_error ") + e.what();
    }
    return "not rejected";
}

std::vector<std::string> GoldenAndGeneratedScans() {
    std::vector<std::string> scans;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(KESTRIN_TEST_DATA) / "card")) {
        if (entry.path().extension() != ".txt" || entry.path().parent_path().filename() == "fuzz")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        scans.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    CardTests::AamvaCardGenerator generator(20);
    for (int i = 0; i < 400; ++i) {
        const CardTests::GeneratedCard card = generator.Next();
        scans.push_back(card.Separated());
        scans.push_back(card.RunTogether());
    }
    // 19-ID barcodes with a header the AAMVA format reads, and one whose DBJ a carriage return splits.
    scans.push_back(Replaced(kNineteen, "ANSI 636014", "\x1e\rANSI 636014010102"));
    scans.push_back(Replaced(kNineteen, "DBJ", "DB\rJ"));
    scans.push_back(Replaced(kNineteen, "DBJ00001\n", ""));
    return scans;
}

TEST(ScanOrder, TheRulesTurnAwayEveryScanLetBy) {
    const LegacyBarcodeFormat legacy;
    int letBy = 0;
    for (const std::string& swipe : GoldenAndGeneratedScans()) {
        const std::string text = WithoutCarriageReturns(swipe);
        EXPECT_EQ(LegacyBarcodeFormat::CannotTake(swipe), LegacyBarcodeFormat::CannotTake(text)) << swipe;
        if (!LegacyBarcodeFormat::CannotTake(text))
            continue;
        ++letBy;
        std::string failedPart;
        const ScanWork work{swipe, text, kNow, kUnknown, failedPart};
        CardRecord record;
        record.dlNumber = "untouched";
        bool taken = true;
        EXPECT_NO_THROW(taken = legacy.Decode(work, record)) << swipe;
        EXPECT_FALSE(taken) << swipe;
        EXPECT_EQ(record.dlNumber, "untouched") << swipe;
    }
    // Every generated card (none is of version 01 with DBJ) and most golden scans.
    EXPECT_GT(letBy, 800);
}

TEST(ScanOrder, SameOutcomeAsTheRulesFirst) {
    const StripeFormat stripe;
    const LegacyBarcodeFormat legacy;
    const AamvaBarcodeFormat first(AamvaBarcodeFormat::Turn::BeforeLegacyRules);
    const AamvaBarcodeFormat after(AamvaBarcodeFormat::Turn::AfterLegacyRules);
    // The two turns together read every text once: in a row they are the AAMVA format of old.
    const std::vector<const ScanFormat*> rulesFirst = {&stripe, &legacy, &first, &after};
    const std::vector<const ScanFormat*> now(ScanFormats().begin(), ScanFormats().end());
    int barcodes = 0;
    int aamva = 0;
    for (const std::string& swipe : GoldenAndGeneratedScans()) {
        const std::string outcome = Outcome(now, swipe);
        EXPECT_EQ(outcome, Outcome(rulesFirst, swipe)) << swipe;
        barcodes += outcome.rfind("barcode|", 0) == 0 ? 1 : 0;
        aamva += outcome.rfind("aamva|", 0) == 0 ? 1 : 0;
    }
    // The 19-ID rules still decode theirs (golden ones and the two made above), the AAMVA format its own.
    EXPECT_GE(barcodes, 4);
    EXPECT_GT(aamva, 700);
}

} // namespace
