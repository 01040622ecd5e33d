#include "HiveFile.h"

#include <gtest/gtest.h>

using Settings::HiveFile;

namespace {

const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin";

HiveFile MustParse(const std::string& text) {
    auto hive = HiveFile::Parse(text);
    EXPECT_TRUE(hive.has_value());
    return hive.value_or(*HiveFile::Parse("Windows Registry Editor Version 5.00\n"));
}

std::string Hive(const std::string& body) {
    return "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n" + body;
}

} // namespace

TEST(HiveFileParse, RejectsTextsThatAreNotAnExport) {
    for (const char* text :
         {"", "\n\n", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n", "Windows Registry Editor Version 5.0\n",
          "garbage\nWindows Registry Editor Version 5.00\n", "Windows Registry Editor"}) {
        EXPECT_FALSE(HiveFile::Parse(text).has_value()) << text;
    }
}

TEST(HiveFileParse, AcceptsByteOrderMarkLineFeedsAndLeadingBlankLines) {
    EXPECT_TRUE(MustParse("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n[A]\r\n").HasKey("A"));
    EXPECT_TRUE(MustParse("\nWindows Registry Editor Version 5.00\n[A]").HasKey("a"));
}

struct ValueCase {
    const char* name;
    std::string line;
    HiveFile::ValueType type;
    std::string text;
    std::uint32_t number;
};

class HiveFileValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(HiveFileValues, ReadsTheValueAsAnImportWould) {
    const ValueCase& c = GetParam();
    const HiveFile hive = MustParse(Hive(c.line + "\r\n"));
    const auto value = hive.Find(kKey, "V");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, c.type);
    if (c.type == HiveFile::ValueType::Text) {
        EXPECT_EQ(value->text, c.text);
    }
    if (c.type == HiveFile::ValueType::Number) {
        EXPECT_EQ(value->number, c.number);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, HiveFileValues,
    ::testing::Values(
        ValueCase{"plain_text", R"("V"="Kestrin Log")", HiveFile::ValueType::Text, "Kestrin Log", 0},
        ValueCase{"escaped_backslash_and_quote", R"("V"="C:\\Logs \"x\"")", HiveFile::ValueType::Text, R"(C:\Logs "x")",
                  0},
        ValueCase{"empty_text", R"("V"="")", HiveFile::ValueType::Text, "", 0},
        ValueCase{"text_with_equals_and_semicolon", R"("V"="a=b;c")", HiveFile::ValueType::Text, "a=b;c", 0},
        ValueCase{"dword", R"("V"=dword:0000001e)", HiveFile::ValueType::Number, "", 30},
        ValueCase{"dword_upper_hex", R"("V"=DWORD:FFFFFFFB)", HiveFile::ValueType::Number, "", 0xFFFFFFFBu},
        ValueCase{"dword_short", R"("V"=dword:7)", HiveFile::ValueType::Number, "", 7},
        ValueCase{"dword_nine_digits", R"("V"=dword:000000001)", HiveFile::ValueType::Other, "", 0},
        ValueCase{"dword_not_hex", R"("V"=dword:0000001g)", HiveFile::ValueType::Other, "", 0},
        ValueCase{"dword_empty", R"("V"=dword:)", HiveFile::ValueType::Other, "", 0},
        ValueCase{"expand_string", R"("V"=hex(2):25,00,00,00)", HiveFile::ValueType::Other, "", 0},
        ValueCase{"binary", R"("V"=hex:01,02)", HiveFile::ValueType::Other, "", 0},
        ValueCase{"unterminated_text", R"("V"="truncated)", HiveFile::ValueType::Other, "", 0},
        ValueCase{"text_with_trailing_junk", R"("V"="a" b)", HiveFile::ValueType::Other, "", 0},
        ValueCase{"name_in_other_case", R"("v"=dword:00000001)", HiveFile::ValueType::Number, "", 1}),
    [](const ::testing::TestParamInfo<ValueCase>& row) { return std::string(row.param.name); });

TEST(HiveFileFind, LastDefinitionWinsAndDeletionHides) {
    const HiveFile hive = MustParse(Hive("\"A\"=dword:00000001\r\n\"A\"=dword:00000002\r\n\"B\"=\"x\"\r\n\"B\"=-\r\n"));
    EXPECT_EQ(hive.Find(kKey, "A")->number, 2u);
    EXPECT_FALSE(hive.Find(kKey, "B").has_value());
}

TEST(HiveFileFind, ValuesBelongToTheirOwnSection) {
    const HiveFile hive = MustParse("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"
                                    "\"A\"=dword:00000001\n\n[hkey_local_machine\\software\\orbelon\\kestrin]\n"
                                    "\"B\"=dword:00000002\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin\\Sub]\n"
                                    "\"C\"=dword:00000003\n");
    EXPECT_TRUE(hive.HasKey(kKey));
    EXPECT_FALSE(hive.Find(kKey, "A").has_value());
    EXPECT_EQ(hive.Find(kKey, "B")->number, 2u);
    EXPECT_FALSE(hive.Find(kKey, "C").has_value());
}

TEST(HiveFileFind, GarbageLinesAndContinuedHexValuesDoNotConfuseLaterValues) {
    const HiveFile hive = MustParse(Hive("this is not a value\r\n\"Bin\"=hex:01,02,\\\r\n  03,04\r\n"
                                         "; comment \"A\"=dword:00000009\r\n\"A\"=dword:00000005\r\n"));
    EXPECT_EQ(hive.Find(kKey, "A")->number, 5u);
    EXPECT_EQ(hive.Find(kKey, "Bin")->type, HiveFile::ValueType::Other);
}

TEST(HiveFileSetNumber, ReplacesOnlyTheEffectiveLine) {
    const std::string before = Hive(
        "; keep me\r\n\"A\"=dword:00000001\r\n\"Odd\"=hex(2):41,00\r\n"
        "\"A\"=dword:00000002\r\n\"T\"=\"x\"\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Z]\r\n\"A\"=dword:00000003\r\n");
    HiveFile hive = MustParse(before);
    ASSERT_TRUE(hive.SetNumber(kKey, "a", 0x2a));
    std::string expected = before;
    expected.replace(expected.find("\"A\"=dword:00000002"), 18, "\"a\"=dword:0000002a");
    EXPECT_EQ(hive.Text(), expected);
}

TEST(HiveFileSetNumber, AppendsANewValueToTheKeysSection) {
    const std::string before =
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\n"
        "\"Log Name\"=\"Kestrin Log\"\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Z]\n\"Q\"=\"r\"";
    HiveFile hive = MustParse(before);
    ASSERT_TRUE(hive.SetNumber(kKey, "Log Number", 1));
    EXPECT_EQ(hive.Text(), "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\n"
                           "\"Log Name\"=\"Kestrin Log\"\n\"Log Number\"=dword:00000001\n\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Z]\n\"Q\"=\"r\"");
    EXPECT_EQ(hive.Find(kKey, "log number")->number, 1u);
}

TEST(HiveFileSetNumber, SectionWithoutValuesOrFinalLineEnd) {
    HiveFile hive =
        MustParse("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]");
    ASSERT_TRUE(hive.SetNumber(kKey, "Valid Age", 21));
    EXPECT_EQ(hive.Text(),
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]"
              "\r\n\"Valid Age\"=dword:00000015\r\n");
}

TEST(HiveFileSetNumber, FailsWithoutTheKey) {
    HiveFile hive = MustParse("Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n");
    EXPECT_FALSE(hive.SetNumber(kKey, "A", 1));
}

TEST(HiveFileSetNumber, ReplacesAMalformedDefinitionAndKeepsNameEscapes) {
    HiveFile hive = MustParse(Hive("\"Log Number\"=dword:xyz\r\n"));
    ASSERT_TRUE(hive.SetNumber(kKey, "Log Number", 7));
    EXPECT_EQ(hive.Text(), Hive("\"Log Number\"=dword:00000007\r\n"));
    ASSERT_TRUE(hive.SetNumber(kKey, "a\"b\\c", 1));
    EXPECT_NE(hive.Text().find(R"("a\"b\\c"=dword:00000001)"), std::string::npos);
    EXPECT_EQ(MustParse(hive.Text()).Find(kKey, "a\"b\\c")->number, 1u);
}
