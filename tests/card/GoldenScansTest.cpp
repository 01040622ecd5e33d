// Golden scans: every tests/data/card/<format>/<case>.txt decodes, as of kNow, to kestrin-decode's JSON in
// <case>.json beside it (a rejected scan: the error, with the decoder's reason where it gives one). Where
// <case>.unknown exists the scan is rejected, and the unknown-swipe file gets that text (with payment card
// numbers masked, as the station writes it).

#include "Card.h"
#include "CardJson.h"
#include "PaymentCard.h"
#include "TestArea.h"
#include "UnreadableScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using MagneticStripeCards::Card;

const MagneticStripeCards::FixedClock kNow(2026, 3, 10, 14, 5, 33);

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WithoutFinalLineFeed(std::string text) {
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// "<format>/<case>" for every golden scan.
std::vector<std::string> GoldenCases() {
    std::vector<std::string> cases;
    for (const auto& folder : fs::directory_iterator(fs::path(KESTRIN_TEST_DATA) / "card")) {
        if (!folder.is_directory() || folder.path().filename() == "fuzz")
            continue;
        for (const auto& file : fs::directory_iterator(folder.path())) {
            if (file.path().extension() == ".txt")
                cases.push_back(folder.path().filename().string() + "/" + file.path().stem().string());
        }
    }
    std::sort(cases.begin(), cases.end());
    return cases;
}

// What kestrin-decode --json prints for the scan; the unknown-swipe text in `unknown` when rejected.
std::string DecodeToJson(const std::string& scan, std::string& unknown) {
    CardTests::RemoveUnknownFile();
    try {
        const Card card(scan, kNow);
        return MagneticStripeCards::Cli::CardJson(card);
    } catch (const MagneticStripeCards::UnreadableScan& rejected) {
        unknown = MagneticStripeCards::MaskPaymentCards(CardTests::ReadUnknownFile());
        return MagneticStripeCards::Cli::UnknownJson({rejected.Reason()});
    } catch (const std::logic_error&) {
        unknown = MagneticStripeCards::MaskPaymentCards(CardTests::ReadUnknownFile());
        return MagneticStripeCards::Cli::UnknownJson();
    }
}

class GoldenScan : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenScan, DecodesToItsJson) {
    const fs::path base = fs::path(KESTRIN_TEST_DATA) / "card" / GetParam();
    std::string unknown;
    const std::string json = DecodeToJson(Read(base.string() + ".txt"), unknown);
    EXPECT_EQ(json, WithoutFinalLineFeed(Read(base.string() + ".json")));
    const fs::path unknownFile = base.string() + ".unknown";
    if (fs::exists(unknownFile)) {
        EXPECT_EQ(unknown, Read(unknownFile));
    }
}

INSTANTIATE_TEST_SUITE_P(Card, GoldenScan, ::testing::ValuesIn(GoldenCases()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             std::string name = param.param;
                             std::replace(name.begin(), name.end(), '/', '_');
                             return name;
                         });

// The hints: each one is raised by some golden scan (and checked there).
TEST(GoldenScan, RaiseEveryHint) {
    std::set<std::string> raised;
    for (const std::string& c : GoldenCases()) {
        const std::string json = Read(fs::path(KESTRIN_TEST_DATA) / "card" / (c + ".json"));
        for (std::size_t at = json.find("{\"code\":\""); at != std::string::npos;
             at = json.find("{\"code\":\"", at + 1)) {
            const std::size_t begin = at + 9;
            raised.insert(json.substr(begin, json.find('"', begin) - begin));
        }
    }
    const std::set<std::string> hints = {"iin-jurisdiction", "country-mismatch", "date-invalid", "expiry-before-issue",
                                         "issue-in-future",  "birth-in-future",  "age-over-120", "under21-mismatch",
                                         "expiry-too-far",   "ambiguous-split"};
    EXPECT_EQ(raised, hints);
}

} // namespace
