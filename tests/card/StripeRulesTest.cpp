// The stripe rules' scanners must find exactly what the backtracking engine finds for their patterns,
// anchored at the first character with empty matches refused (as the card matched them): checked rule by
// rule against Boost on random texts rich in the bytes the patterns care about, on every golden stripe
// scan and its tracks, and on those scans with random edits. The track readers must give what the rules
// give one by one, in the order the decoder tries them.

#include "StripeRules.h"
#include "BoostMatch.h"

#include <boost/regex.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace rules = MagneticStripeCards::StripeRules;
using rules::Rule;

std::vector<Rule> AllRules() {
    std::vector<Rule> all;
    for (std::size_t r = 0; r < rules::kRules; ++r)
        all.push_back(static_cast<Rule>(r));
    return all;
}

std::string Shown(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        if (c == '\0')
            shown += "\\0";
        else if (c == '\n')
            shown += "\\n";
        else
            shown += c;
    }
    return "[" + shown + "]";
}

class RuleChecker {
public:
    RuleChecker() {
        for (const Rule rule : AllRules())
            m_expressions.emplace_back(rules::PatternText(rule));
    }

    void ExpectSameAsEngine(const std::string& text) {
        for (const Rule rule : AllRules()) {
            const auto expected =
                CardTests::BoostMatchAtStart(m_expressions[static_cast<std::size_t>(rule)], text, true);
            rules::Spans spans;
            const bool found = rules::Match(rule, text, spans);
            ASSERT_EQ(found, expected.has_value()) << rules::PatternText(rule) << " on " << Shown(text);
            if (!found)
                continue;
            ASSERT_EQ(expected->size(), rules::GroupCount(rule) + 1) << rules::PatternText(rule);
            for (std::size_t g = 0; g < expected->size(); ++g) {
                ASSERT_EQ(spans[g].begin, (*expected)[g].begin)
                    << rules::PatternText(rule) << " group " << g << " on " << Shown(text);
                ASSERT_EQ(spans[g].end, (*expected)[g].end)
                    << rules::PatternText(rule) << " group " << g << " on " << Shown(text);
            }
        }
    }

private:
    std::vector<boost::regex> m_expressions;
};

std::string FirstMatching(std::initializer_list<Rule> order, const std::string& text) {
    for (const Rule rule : order) {
        const std::string_view group = rules::Group(rule, text);
        if (!group.empty())
            return std::string(group);
    }
    return {};
}

void ExpectReadersAgreeWithRules(const std::string& text) {
    const rules::TrackOneGroups one = rules::ReadTrackOne(text);
    EXPECT_EQ(one.state, rules::Group(Rule::State, text)) << Shown(text);
    EXPECT_EQ(one.city, FirstMatching({Rule::City, Rule::CityToNonWord}, text)) << Shown(text);
    EXPECT_EQ(one.name,
              FirstMatching({Rule::Name, Rule::NameAfterNonWord, Rule::NameBeforeDollar, Rule::NameAfterWord}, text))
        << Shown(text);
    EXPECT_EQ(one.address, FirstMatching({Rule::Address, Rule::AddressAfterSpace, Rule::AddressBeforeDollar}, text))
        << Shown(text);
    const rules::TrackTwoGroups two = rules::ReadTrackTwo(text);
    EXPECT_EQ(two.dlNumber, rules::Group(Rule::DlNumber, text)) << Shown(text);
    EXPECT_EQ(two.dlOverflow, rules::Group(Rule::DlOverflow, text)) << Shown(text);
    EXPECT_EQ(two.expiry, rules::Group(Rule::ExpiryPart, text)) << Shown(text);
    EXPECT_EQ(two.birth, rules::Group(Rule::BirthPart, text)) << Shown(text);
}

std::string RandomText(std::mt19937& rng, const std::string& alphabet, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string s(length(rng), ' ');
    for (char& c : s)
        c = alphabet[pick(rng)];
    return s;
}

// Sentinels, separators, the classes' edges (NUL, line feed, '_', bytes above 127) and digits.
const std::string kAlphabet = std::string("%;?#^$=\\ \n\0\r,\t_AZaz\xe9\x80", 22) + "0123456789";

// Texts shaped like tracks: digit runs with '=' (track 2), words with carets and dollars (track 1).
const std::string kTrackTwoAlphabet = "0123456789=?;D";
const std::string kTrackOneAlphabet = "AB1_^$ ,.";
// Sentinels with a little text between them: after a leading '%' or ';', splits into tracks are likely.
const std::string kSentinelAlphabet = "%;?#A1";

struct RandomCase {
    const char* name;
    const char* start; // every text begins with it
    const std::string* alphabet;
    int texts;
    std::size_t maxLength;
};

class RandomTexts : public ::testing::TestWithParam<RandomCase> {};

TEST_P(RandomTexts, RulesAgreeWithTheEngine) {
    const RandomCase& c = GetParam();
    RuleChecker checker;
    std::mt19937 rng(static_cast<std::uint32_t>(c.texts + c.maxLength));
    for (int i = 0; i < c.texts; ++i) {
        const std::string text = c.start + RandomText(rng, *c.alphabet, c.maxLength);
        checker.ExpectSameAsEngine(text);
        ExpectReadersAgreeWithRules(text);
        if (HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(StripeRules, RandomTexts,
                         ::testing::Values(RandomCase{"short_any_bytes", "", &kAlphabet, 4000, 12},
                                           RandomCase{"longer_any_bytes", "", &kAlphabet, 1500, 60},
                                           RandomCase{"track_two_shaped", "", &kTrackTwoAlphabet, 3000, 40},
                                           RandomCase{"track_one_shaped", "", &kTrackOneAlphabet, 3000, 40},
                                           RandomCase{"percent_and_sentinels", "%", &kSentinelAlphabet, 4000, 16},
                                           RandomCase{"semicolon_and_sentinels", ";", &kSentinelAlphabet, 2000, 16}),
                         [](const ::testing::TestParamInfo<RandomCase>& param) { return param.param.name; });

std::vector<std::string> GoldenStripes() {
    std::vector<std::string> scans;
    for (const auto& file : fs::directory_iterator(fs::path(KESTRIN_TEST_DATA) / "card" / "stripe")) {
        if (file.path().extension() != ".txt")
            continue;
        std::ifstream in(file.path(), std::ios::binary);
        scans.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return scans;
}

// The scan and every track the split rules find in it.
std::vector<std::string> ScanAndTracks(const std::string& scan) {
    std::vector<std::string> texts = {scan};
    for (const Rule split : {Rule::ThreeTracks, Rule::TrackTwoOnly, Rule::TracksOneAndTwo}) {
        rules::Spans spans;
        if (!rules::Match(split, scan, spans))
            continue;
        for (std::size_t g = 1; g <= rules::GroupCount(split); ++g)
            texts.push_back(scan.substr(spans[g].begin, spans[g].end - spans[g].begin));
    }
    return texts;
}

TEST(StripeRules, GoldenScansAndTheirTracksAgreeWithTheEngine) {
    const std::vector<std::string> scans = GoldenStripes();
    ASSERT_GE(scans.size(), 5u);
    RuleChecker checker;
    for (const std::string& scan : scans) {
        for (const std::string& text : ScanAndTracks(scan)) {
            checker.ExpectSameAsEngine(text);
            ExpectReadersAgreeWithRules(text);
        }
    }
}

// A golden scan with a few random edits: a byte replaced, inserted or removed, or a stretch repeated.
std::string Edited(std::string scan, std::mt19937& rng) {
    std::uniform_int_distribution<int> edits(1, 4);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    for (int e = edits(rng); e > 0 && !scan.empty(); --e) {
        std::uniform_int_distribution<std::size_t> at(0, scan.size() - 1);
        const std::size_t p = at(rng);
        switch (kind(rng)) {
        case 0:
            scan[p] = kAlphabet[pick(rng)];
            break;
        case 1:
            scan.insert(p, 1, kAlphabet[pick(rng)]);
            break;
        case 2:
            scan.erase(p, 1);
            break;
        default:
            scan.insert(p, scan.substr(p, 12));
            break;
        }
    }
    return scan;
}

TEST(StripeRules, EditedGoldenScansAgreeWithTheEngine) {
    const std::vector<std::string> scans = GoldenStripes();
    RuleChecker checker;
    std::mt19937 rng(2026);
    for (int i = 0; i < 3000; ++i) {
        const std::string scan = Edited(scans[static_cast<std::size_t>(i) % scans.size()], rng);
        for (const std::string& text : ScanAndTracks(scan)) {
            checker.ExpectSameAsEngine(text);
            ExpectReadersAgreeWithRules(text);
            if (HasFatalFailure())
                return;
        }
    }
}

} // namespace
