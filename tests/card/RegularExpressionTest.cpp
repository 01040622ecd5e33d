#include "RegularExpression.h"

#include "RowName.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using RegexClass::CaptureList;
using RegexClass::RegularExpression;

// Records every notification it gets, tagged with its own name.
struct Listener {
    std::string tag;
    std::vector<std::string>* log = nullptr;
    CaptureList last;
    int calls = 0;

    void OnMatching(RegularExpression*, const CaptureList& captures, int, int) {
        ++calls;
        last = captures;
        if (log != nullptr)
            log->push_back(tag);
    }
    void Other(RegularExpression*, const CaptureList&, int, int) {}
};

TEST(RegularExpression, CapturesTwoWordCharactersAtTheStart) {
    RegularExpression re;
    Listener listener;
    re.Hook(&listener, &Listener::OnMatching);
    re.SetPattern("(\\w{2})");
    re.SetText("CASACRAMENTO^DOE");
    ASSERT_TRUE(re.Match());
    ASSERT_EQ(listener.last.size(), 2U);
    EXPECT_EQ(listener.last[1].text, "CA");
    EXPECT_EQ(listener.last[1].position, 0);
    EXPECT_EQ(listener.last[0].text, "CA");
}

TEST(RegularExpression, MatchFurtherIntoTheSubjectIsNoMatchAndRaisesNothing) {
    RegularExpression re;
    Listener listener;
    re.Hook(&listener, &Listener::OnMatching);
    re.SetPattern("\\d+");
    re.SetText(" 123");
    EXPECT_FALSE(re.Match());
    EXPECT_EQ(listener.calls, 0);
}

TEST(RegularExpression, GroupThatTookNoPartHasEmptyTextAndPositionMinusOne) {
    RegularExpression re;
    Listener listener;
    re.Hook(&listener, &Listener::OnMatching);
    re.SetPattern("(a)|(b)");
    re.SetText("b");
    ASSERT_TRUE(re.Match());
    ASSERT_EQ(listener.last.size(), 3U);
    EXPECT_EQ(listener.last[1].text, "");
    EXPECT_EQ(listener.last[1].position, -1);
    EXPECT_EQ(listener.last[2].text, "b");
    EXPECT_EQ(listener.last[2].position, 0);
}

TEST(RegularExpression, SamePatternKeepsTheCompiledExpressionAndANewOneRecompiles) {
    RegularExpression re;
    re.SetText("abc");
    re.SetPattern("a");
    ASSERT_TRUE(re.Match());
    ASSERT_TRUE(re.IsCompiled());
    re.SetPattern("a");
    EXPECT_TRUE(re.IsCompiled());
    re.SetPattern("b");
    EXPECT_FALSE(re.IsCompiled());
    EXPECT_FALSE(re.Match());
    EXPECT_TRUE(re.IsCompiled());
}

TEST(RegularExpression, EmptyOrInvalidPatternGivesFalseAndKeepsTheLibraryMessage) {
    RegularExpression re;
    re.SetText("abc");
    EXPECT_FALSE(re.Match());
    EXPECT_TRUE(re.ErrorText().empty());
    re.SetPattern("(ab");
    EXPECT_FALSE(re.Match());
    EXPECT_FALSE(re.ErrorText().empty());
    re.SetPattern("ab");
    EXPECT_TRUE(re.Match());
    EXPECT_TRUE(re.ErrorText().empty());
}

TEST(RegularExpression, GetTextReturnsTheSubjectUnchangedByMatching) {
    RegularExpression re;
    re.SetText(std::string("a\0b\r\n", 5));
    re.SetPattern("a.b");
    EXPECT_TRUE(re.Match());
    EXPECT_EQ(re.GetText(), std::string("a\0b\r\n", 5));
}

TEST(RegularExpression, LaterHookRunsFirst) {
    RegularExpression re;
    std::vector<std::string> log;
    Listener a;
    a.tag = "A";
    a.log = &log;
    Listener b;
    b.tag = "B";
    b.log = &log;
    re.Hook(&a, &Listener::OnMatching);
    re.Hook(&b, &Listener::OnMatching);
    re.SetPattern("x");
    re.SetText("x");
    ASSERT_TRUE(re.Match());
    EXPECT_EQ(log, (std::vector<std::string>{"B", "A"}));
}

TEST(RegularExpression, UnhookRemovesOneNodeOfThePairAndReportsWhetherItFoundOne) {
    RegularExpression re;
    Listener a;
    Listener b;
    re.Hook(&a, &Listener::OnMatching);
    re.Hook(&a, &Listener::OnMatching);
    re.Hook(&b, &Listener::OnMatching);
    EXPECT_EQ(re.Unhook(&a, &Listener::Other), 1);
    EXPECT_EQ(re.Unhook(&a, &Listener::OnMatching), 0);
    re.SetPattern("x");
    re.SetText("x");
    ASSERT_TRUE(re.Match());
    EXPECT_EQ(a.calls, 1); // one of the two nodes is left
    EXPECT_EQ(b.calls, 1);
    EXPECT_EQ(re.Unhook(&a, &Listener::OnMatching), 0);
    EXPECT_EQ(re.Unhook(&a, &Listener::OnMatching), 1);
    EXPECT_EQ(re.Unhook(&b, &Listener::OnMatching), 0);
    EXPECT_EQ(re.Unhook(&b, &Listener::OnMatching), 1);
}

struct OptionCase {
    const char* name;
    std::vector<int> added;
    std::set<int> expected;
};

class MatchOptions : public ::testing::TestWithParam<OptionCase> {};

TEST_P(MatchOptions, FollowTheSetRules) {
    RegularExpression re;
    for (const int code : GetParam().added)
        re.AddMatchOption(code);
    EXPECT_EQ(re.MatchOptions(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(RegularExpression, MatchOptions,
                         ::testing::Values(OptionCase{"start", {}, {0}},
                                           OptionCase{"card_configuration", {10}, {0, 10}},
                                           OptionCase{"any_and_not_null", {9, 10}, {0, 9, 10}},
                                           OptionCase{"not_bol_removes_zero", {1}, {1}},
                                           OptionCase{"not_dot_null_removes_zero", {10, 8}, {8, 10}},
                                           OptionCase{"zero_removes_one_to_eight", {1, 5, 10, 0}, {0, 10}},
                                           OptionCase{"adding_twice_changes_nothing", {10, 10}, {0, 10}},
                                           OptionCase{"continuous_keeps_zero", {11, 12}, {0, 11, 12}}),
                         RowName());

struct FlagCase {
    const char* name;
    std::vector<int> options;
    const char* pattern;
    const char* subject;
    bool matches;
    const char* whole;
};

class MatchFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(MatchFlags, TurnOnTheLibraryFlags) {
    const FlagCase& c = GetParam();
    RegularExpression re;
    Listener listener;
    re.Hook(&listener, &Listener::OnMatching);
    for (const int code : c.options)
        re.AddMatchOption(code);
    re.SetPattern(c.pattern);
    re.SetText(c.subject);
    ASSERT_EQ(re.Match(), c.matches);
    if (c.matches) {
        EXPECT_EQ(listener.last[0].text, c.whole);
    }
}

INSTANTIATE_TEST_SUITE_P(RegularExpression, MatchFlags,
                         ::testing::Values(FlagCase{"empty_match_accepted_by_default", {}, "a*", "bbb", true, ""},
                                           FlagCase{"not_null_rejects_empty_match", {10}, "a*", "bbb", false, ""},
                                           FlagCase{"greedy_without_any", {10}, "(.+);", "ab;cd;", true, "ab;cd;"},
                                           FlagCase{"not_dot_newline", {7}, "a.b", "a\nb", false, ""},
                                           FlagCase{"dot_matches_newline_by_default", {}, "a.b", "a\nb", true, "a\nb"},
                                           FlagCase{"not_bol", {1}, "^a", "a", false, ""}),
                         RowName());

} // namespace
