// The one-pass element split must equal the literal one: insert a line feed before the first occurrence
// of each ID in table order, then take each value from the ID's first occurrence to the next line feed.

#include "BarcodeElements.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using MagneticStripeCards::BarcodeElements;

// nullopt when the separation fails.
std::optional<std::string> LiteralSeparation(std::string text) {
    for (const char* id : BarcodeElements::kIds) {
        const std::size_t at = text.find(id);
        if (at == std::string::npos)
            return std::nullopt;
        text.insert(at, 1, '\n');
    }
    return text;
}

std::optional<std::string> LiteralValue(const std::string& separated, const char* id) {
    const std::size_t at = separated.find(id);
    if (at == std::string::npos)
        return std::nullopt;
    const std::size_t lineEnd = separated.find('\n', at);
    if (lineEnd == std::string::npos)
        return std::nullopt;
    return separated.substr(at + 3, lineEnd - at - 3);
}

void ExpectSameAsLiteral(const std::string& text) {
    const auto separated = LiteralSeparation(text);
    if (!separated) {
        EXPECT_THROW(BarcodeElements{text}, std::out_of_range) << text;
        return;
    }
    const BarcodeElements elements(text);
    for (const char* id : BarcodeElements::kIds) {
        const auto expected = LiteralValue(*separated, id);
        const auto got = elements.Value(id);
        ASSERT_EQ(got.has_value(), expected.has_value()) << id << " in [" << text << "]";
        if (expected) {
            ASSERT_EQ(std::string(*got), *expected) << id << " in [" << text << "]";
        }
    }
}

std::string AllIds() {
    std::string s;
    for (const char* id : BarcodeElements::kIds)
        s += id;
    return s;
}

TEST(BarcodeElements, BrokenDbdOccurrencesAreSkippedAsTheLiteralSplitSkipsThem) {
    // DBD directly followed by an ID: the line feed in front of that ID splits the DBD.
    for (const std::string& text : std::vector<std::string>{
             AllIds(), "@DBDAQ" + AllIds(), "DBDAQDBDAAx" + AllIds(), "DBDBHDBDBJDBDBK" + AllIds(),
             std::string("DBDAQDAADAHDAGDAIDAJDAKDASDAUDAWDBADBBDBCDATDAR\nDBH\nDBJ\nDBK\n"), "DBDBD" + AllIds() + "\n",
             std::string("DBDAQ\nDAADAHDAGDAIDAJDAKDASDAUDAWDBADBBDBCDATDARDBHDBJDBK\n"), AllIds() + "DBDBK\n"}) {
        ExpectSameAsLiteral(text);
    }
}

TEST(BarcodeElements, RandomTextsOfIdFragmentsAgreeWithTheLiteralSplit) {
    std::mt19937 rng(5);
    const std::string ids = AllIds();
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::size_t> idPick(0, BarcodeElements::kCount - 1);
    std::uniform_int_distribution<int> length(0, 60);
    const std::string letters = "DABQHGIJKSUWCTR\n1 ";
    std::uniform_int_distribution<std::size_t> letter(0, letters.size() - 1);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        // Mostly complete texts, so that the value step is exercised and not just the missing-ID failure.
        if (round % 4 != 0)
            text = ids;
        const int n = length(rng);
        for (int i = 0; i < n; ++i) {
            const int k = kind(rng);
            const std::size_t at = text.empty() ? 0 : std::uniform_int_distribution<std::size_t>(0, text.size())(rng);
            if (k < 4)
                text.insert(at, BarcodeElements::kIds[idPick(rng)]);
            else if (k < 5)
                text.insert(at, "DBD");
            else
                text.insert(at, 1, letters[letter(rng)]);
        }
        ExpectSameAsLiteral(text);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
